#include "io/hxkinetorpresettext.h"

// The fixed parts of a preset script. The filter writes the head, the
// preset's layer names (the array that the head opens), the middle, the
// head of createLayers and then one block per layer.

QString kinetorPresetHead()
{
    return QStringLiteral(
        R"PRESET(// Rebuilds Kinetor layers, their pose dots and every value they hold on the
// figure selected in the scene. Run it from File > Run Script:
//   - a plain run adds the layers with the default options;
//   - with Shift held it applies your preferred options;
//   - with Ctrl (Cmd) held it shows the options first, where you can add to
//     or replace the figure's layers and pick which layers to build.

const g_sTOOL_NAME = "Kinetor Preset";
var g_oSCRIPT_FILE = new HxFile( getScriptFileName() );
var g_sSCRIPT_NAME = g_oSCRIPT_FILE.baseName() + "." + g_oSCRIPT_FILE.extension();
var g_bSHIFT_PRESSED = shiftPressed();
var g_bCONTROL_PRESSED = ctrlPressed();
var g_nMARGIN = 5;
var g_nSPACING = 5;
var g_nMIN_BTN_WIDTH = 80;
var g_nMAX_BTN_HEIGHT = 20;
var g_nWIDGET_WIDTH = 190;
var g_sREPLACE_ALL = "Replace All Layers";
var g_sADD = "Add to Layers";

var g_oSETTINGS = new HsSettings;
var g_oUI = new HsInterface;
var g_oACTIONS = new HsActions;

/*********************************************************************/
// Keeps the preferred options in the application settings: under sPath,
// one value per name; the type of oValue picks the accessor.
function HsSettings()
{
	this.set = function( sPath, sName, oValue )
	{
		var oMgr = App.getAppSettingsMgr();
		oMgr.pushPath( sPath );
		switch( typeof oValue ){
			case "string":
				oMgr.setStringValue( sName, oValue );
				break;
			case "boolean":
				oMgr.setBoolValue( sName, oValue );
				break;
			case "number":
				oMgr.setFloatValue( sName, oValue );
				break;
		}
		oMgr.popPath();
	}

	// The stored value, or oValue when there is none.
	this.get = function( sPath, sName, oValue )
	{
		var oMgr = App.getAppSettingsMgr();
		var oResult = oValue;
		oMgr.pushPath( sPath );
		switch( typeof oValue ){
			case "string":
				oResult = oMgr.getStringValue( sName, oValue );
				break;
			case "boolean":
				oResult = oMgr.getBoolValue( sName, oValue );
				break;
			case "number":
				oResult = oMgr.getFloatValue( sName, oValue );
				break;
		}
		oMgr.popPath();
		return oResult;
	}
}

/*********************************************************************/
// The options dialog: what to do with the figure's layers, which of the
// preset's layers to build, and the preferred options.
function HsInterface()
{
	var oSelf = this;
	var m_oDialog = undefined;
	var m_wActionCombo = undefined;
	var m_wListGroup = undefined;
	var m_wLayerList = undefined;
	var m_wRecordCheck = undefined;

	this.getSettingsPath = function()
	{
		return g_oACTIONS.stripSpaces( g_sTOOL_NAME );
	}

	this.doCommon = function()
	{
		m_oDialog = new Dialog( g_sTOOL_NAME + " [" + g_sSCRIPT_NAME + "]" );
		m_oDialog.margin = g_nMARGIN;
		m_oDialog.spacing = g_nSPACING;

		// Options page
		var wOptions = m_oDialog.addPage( "Options" );
		var wActionRow = wOptions.addRow();
		var wActionLabel = wActionRow.addLabel( "Action :" );
		wActionLabel.whatsThis = "What to do with the layers that the selected figure has now.";
		m_wActionCombo = wActionRow.addComboBox();
		m_wActionCombo.addItem( g_sADD );
		m_wActionCombo.addItem( g_sREPLACE_ALL );
		m_wActionCombo.minimumWidth = g_nWIDGET_WIDTH;
		m_wActionCombo.whatsThis = "<b>" + g_sADD + "</b> keeps the figure's layers and adds those of the " +
			"preset (an empty default layer is removed). <b>" + g_sREPLACE_ALL + "</b> removes every layer " +
			"of the figure first.";
		m_wActionCombo.toolTip = "Add to or replace the figure's layers";

		m_wListGroup = wOptions.addGroupBox( "From List :" );
		m_wListGroup.checkable = true;
		m_wListGroup.whatsThis = "Check this group to build only the layers checked in the list.";
		m_wLayerList = m_wListGroup.addListView( [ "Index", "Name" ] );
		m_wLayerList.whatsThis = "The layers of this preset. Uncheck a layer to leave it out.";
		var aNames = g_oACTIONS.getLayerNames();
		for( var i = 0; i < aNames.length; i++ ){
			m_wLayerList.addItem( [ String( i ), aNames[ i ] ], true );
		}
		wOptions.addHelpText( "Layers are added to the figure selected in the scene." );

		// Preferences page
		var wPrefs = m_oDialog.addPage( "Preferences" );
		m_wRecordCheck = wPrefs.addCheckBox( "Set &Preferred Options on Accept" );
		m_wRecordCheck.whatsThis = "When checked, the options are stored as your preferred options " +
			"when you accept. Shift held when the preset starts applies them without this dialog.";
		var wSetButton = wPrefs.addButton( "&Set Preferred Options" );
		wSetButton.minimumWidth = g_nMIN_BTN_WIDTH;
		wSetButton.maximumHeight = g_nMAX_BTN_HEIGHT;
		wSetButton.toolTip = "Store the options shown as your preferred options";
		wSetButton.clicked.connect( function(){ oSelf.setOptions(); } );
		var wReadButton = wPrefs.addButton( "&Read Preferred Options" );
		wReadButton.minimumWidth = g_nMIN_BTN_WIDTH;
		wReadButton.maximumHeight = g_nMAX_BTN_HEIGHT;
		wReadButton.toolTip = "Show your preferred options";
		wReadButton.clicked.connect( function(){ oSelf.getOptions(); } );
		var wDefaultButton = wPrefs.addButton( "Restore &Default Options" );
		wDefaultButton.minimumWidth = g_nMIN_BTN_WIDTH;
		wDefaultButton.maximumHeight = g_nMAX_BTN_HEIGHT;
		wDefaultButton.toolTip = "Show the default options";
		wDefaultButton.clicked.connect( function(){ oSelf.setDefaults(); } );
		wPrefs.addHelpText( "Run the preset with Shift held to apply your preferred options, or with " +
			"Ctrl (Cmd) held to see this dialog." );
		wPrefs.addStretch();

		m_oDialog.helpText = "Rebuilds the layers stored in " + g_sSCRIPT_NAME + " on the selected figure.";
		m_oDialog.acceptText = "&Accept";
		m_oDialog.cancelText = "&Cancel";

		this.setDefaults();
	}

	this.setDefaults = function()
	{
		m_wActionCombo.currentText = g_sADD;
		m_wListGroup.checked = false;
		m_wRecordCheck.checked = false;
	}

	this.getOptions = function()
	{
		var sPath = this.getSettingsPath();
		m_wRecordCheck.checked = g_oSETTINGS.get( sPath, 'rcrdOnExec', m_wRecordCheck.checked );
		m_wActionCombo.currentText = g_oSETTINGS.get( sPath, 'cbAction', m_wActionCombo.currentText );
	}

	this.setOptions = function()
	{
		var sPath = this.getSettingsPath();
		g_oSETTINGS.set( sPath, 'rcrdOnExec', m_wRecordCheck.checked );
		g_oSETTINGS.set( sPath, 'cbAction', m_wActionCombo.currentText );
	}

	this.doDialog = function()
	{
		this.doCommon();
		this.getOptions();
		if( m_oDialog.exec() ){
			if( m_wRecordCheck.checked ){
				this.setOptions();
			}
			g_oACTIONS.begin();
		}
	}

	this.doNoDialog = function()
	{
		this.doCommon();
		if( g_bSHIFT_PRESSED ){
			this.getOptions();
		}
		g_oACTIONS.begin();
	}

	// Indexed like the preset's layer names: the name where the layer is
	// checked, undefined where it is not.
	this.getSelectedItems = function()
	{
		var aItems = new Array();
		for( var i = 0; i < m_wLayerList.count; i++ ){
			var nIndex = Number( m_wLayerList.itemText( i, 0 ) );
			aItems[ nIndex ] = m_wLayerList.isItemChecked( i ) ? m_wLayerList.itemText( i, 1 ) : undefined;
		}
		return aItems;
	}

	this.getAction = function()
	{
		return m_wActionCombo.currentText;
	}

	this.useList = function()
	{
		return m_wListGroup.checked;
	}
}

/*********************************************************************/
// Builds the layers.
function HsActions()
{
	var m_aLayerNames = 
	[
)PRESET");
}

QString kinetorPresetMiddle()
{
    return QStringLiteral(R"PRESET(	];

	this.getLayerNames = function()
	{
		return m_aLayerNames;
	}

	this.addToArray = function( aArray, oItem )
	{
		if( !this.isInArray( aArray, oItem ) ){
			aArray.push( oItem );
		}
		return aArray;
	}

	this.isInArray = function( aArray, oItem )
	{
		for( var i = 0; i < aArray.length; i++ ){
			if( aArray[ i ] == oItem ){
				return true;
			}
		}
		return false;
	}

	// For arrays of named objects, or of names.
	this.isInArrayByName = function( aArray, sName )
	{
		for( var i = 0; i < aArray.length; i++ ){
			var oItem = aArray[ i ];
			if( oItem != undefined && ( oItem == sName || oItem.objectName == sName ) ){
				return true;
			}
		}
		return false;
	}

	// Removes every blank.
	this.stripSpaces = function( sString )
	{
		return String( sString ).replace( /[ \t]/g, "" );
	}

	this.begin = function()
	{
		var bReplace = ( g_oUI.getAction() == g_sREPLACE_ALL );
		setBusyCursor();
		if( g_oUI.useList() ){
			m_aLayerNames = g_oUI.getSelectedItems();
		}
		createLayers( m_aLayerNames, bReplace );
		clearBusyCursor();
	}
}

g_bCONTROL_PRESSED ? g_oUI.doDialog() : g_oUI.doNoDialog();
)PRESET");
}

QString kinetorPresetCreateLayersHead()
{
    return QStringLiteral(R"PRESET(
/*********************************************************************/
// Adds one layer per name that aLayerNames still holds at the layer's own
// position, to the figure selected in the scene.
function createLayers( aLayerNames, bReplace )
{
	var oNode = Scene.getPrimarySelection();
	if( oNode && oNode.inherits( "HxBone" ) ){
		oNode = oNode.getSkeleton();
	}
	var oKinetorPane = MainWindow ? MainWindow.getPaneMgr().findPane( "HxKinetorPane" ) : undefined;
	if( !oNode ){
		MessageBox.warning( "This action requires an item within the scene to be selected.", "Selection Error", "&OK", "" );
	} else if( !oKinetorPane ){
		MessageBox.warning( "Cannot find Kinetor Pane. Loading will be aborted.", "Selection Error", "&OK", "" );
	} else {
		if( bReplace ){
			oKinetorPane.deleteAllLayers( oNode );
		} else {
			oKinetorPane.deleteEmptyDefaultLayer( oNode );
		}
)PRESET");
}
