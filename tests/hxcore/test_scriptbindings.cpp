#include "hxapptest.h"

#include "hxcore/hxappsettingsmgr.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxscriptmessagebox.h"
#include "hxcore/hxskeleton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QJSEngine>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Tells a script what the host looks like while it runs.
class Probe : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE bool busy() const
    {
        return QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }
};

class HxScriptBindingsTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_engine = std::make_unique<HxScriptEngine>();
        m_engine->setInteractive(false);
        QJSEngine::setObjectOwnership(&m_probe, QJSEngine::CppOwnership);
        m_engine->engine()->globalObject().setProperty("Probe", m_engine->engine()->newQObject(&m_probe));
    }
    void TearDown() override
    {
        m_engine.reset();
        HxAppTest::TearDown();
    }

    QString eval(const QString& code)
    {
        return m_engine->run(code, "bindings.js") ? m_engine->lastResult().toString() : m_engine->lastError();
    }

    Probe m_probe;
    std::unique_ptr<HxScriptEngine> m_engine;
};

// The dialog a preset builds, reduced to what the tests look at.
const char* const kDialogScript = R"(
var oDialog = new Dialog( "Options [test.js]" );
oDialog.acceptText = "&Accept";
oDialog.helpText = "Pick the layers.";
var wPage = oDialog.addPage( "Options" );
var wRow = wPage.addRow();
wRow.addLabel( "Action :" );
var wCombo = wRow.addComboBox();
wCombo.addItem( "Add to Layers" );
wCombo.addItem( "Replace All Layers" );
wCombo.whatsThis = "What to do with the layers";
var wGroup = wPage.addGroupBox( "From List :" );
wGroup.checkable = true;
wGroup.checked = false;
var wList = wGroup.addListView( [ "Index", "Name" ] );
wList.addItem( [ "0", "Walk" ], true );
wList.addItem( [ "1", "Run" ], true );
var wPrefs = oDialog.addPage( "Preferences" );
var wCheck = wPrefs.addCheckBox( "Set &Preferred Options on Accept" );
var nClicks = 0;
var wButton = wPrefs.addButton( "&Set Preferred Options" );
wButton.clicked.connect( function(){ nClicks++; wCombo.currentText = "Replace All Layers"; } );
wPrefs.addHelpText( "Shift applies the preferred options." );
function answer() {
    var aChecked = [];
    for( var i = 0; i < wList.count; i++ )
        aChecked.push( wList.isItemChecked( i ) ? wList.itemText( i, 1 ) : "-" );
    return [ wCombo.currentText, wGroup.checked, wCheck.checked, nClicks, aChecked.join( "/" ) ].join( "|" );
}
)";

} // namespace

TEST_F(HxScriptBindingsTest, SettingsKeepTypedValuesUnderPushedPathsAndAnswerDefaults)
{
    EXPECT_EQ(eval(R"(
        var oMgr = App.getAppSettingsMgr();
        oMgr.pushPath( "KinetorPreset" );
        var aBefore = [ oMgr.getStringValue( "cbAction", "Add" ), oMgr.getBoolValue( "rcrdOnExec", true ),
                        oMgr.getFloatValue( "width", 2.5 ) ];
        oMgr.setStringValue( "cbAction", "Replace All Layers" );
        oMgr.setBoolValue( "rcrdOnExec", false );
        oMgr.setFloatValue( "width", 190.25 );
        oMgr.pushPath( "Inner/Deeper" );
        oMgr.setBoolValue( "flag", true );
        oMgr.popPath();
        var aAfter = [ oMgr.getStringValue( "cbAction", "Add" ), oMgr.getBoolValue( "rcrdOnExec", true ),
                       oMgr.getFloatValue( "width", 2.5 ), typeof oMgr.getBoolValue( "rcrdOnExec", true ) ];
        oMgr.popPath();
        oMgr.popPath(); // more pops than pushes are harmless
        aBefore.join( "," ) + " " + aAfter.join( "," ) + " " + oMgr.getPath() + "|" +
            oMgr.getStringValue( "cbAction", "none" );
    )"),
              "Add,true,2.5 Replace All Layers,false,190.25,boolean |none");
    // The host's own keys cannot be reached: everything lives under Scripts.
    QSettings* settings = hxApp->getSettings();
    EXPECT_EQ(settings->value("Scripts/KinetorPreset/cbAction").toString(), "Replace All Layers");
    EXPECT_TRUE(settings->value("Scripts/KinetorPreset/Inner/Deeper/flag").toBool());
    // A value edited by hand into something else reads as its default.
    settings->setValue("Scripts/KinetorPreset/width", "wide");
    settings->setValue("Scripts/KinetorPreset/rcrdOnExec", "maybe");
    EXPECT_EQ(eval("var m = App.getAppSettingsMgr(); m.pushPath( 'KinetorPreset' );"
                   "var r = m.getFloatValue( 'width', 7 ) + ',' + m.getBoolValue( 'rcrdOnExec', true ); "
                   "m.popPath(); r"),
              "7,true");
}

TEST_F(HxScriptBindingsTest, FilesSelectionAndBusyCursorAreReachable)
{
    EXPECT_EQ(eval("var f = new HxFile( '/tmp/walk.preset.js' ); f.baseName() + '|' + f.extension() + '|' + "
                   "f.fileName() + '|' + new HxFile( getScriptFileName() ).extension()"),
              "walk.preset|js|walk.preset.js|js");

    QString error;
    std::unique_ptr<HxSkeleton> figure =
        HxFigureReader::read(sourcePath("samples/figures/mannequin.json"), &error);
    ASSERT_TRUE(figure) << error.toStdString();
    HxSkeleton* mannequin = figure.get();
    hxScene->addNode(figure.release());
    EXPECT_EQ(eval("Scene.getPrimarySelection() == null"), "true");
    hxScene->setPrimarySelection(mannequin->findBone("leftForearm"));
    EXPECT_EQ(eval("var o = Scene.getPrimarySelection(); var s = o.getSkeleton(); "
                   "[ o.inherits( 'HxBone' ), s.objectName, s.findBone( new String( 'head' ) ).objectName, "
                   "s.findBone( 'nobody' ) == null, s.getSkeleton() == s ].join( ',' )"),
              "true,Mannequin,head,true,true");

    EXPECT_EQ(eval("var a = Probe.busy(); setBusyCursor(); var b = Probe.busy(); clearBusyCursor(); "
                   "[ a, b, Probe.busy() ].join( ',' )"),
              "false,true,false");
}

// Without a person at the screen a dialog is accepted as its widgets stand.
TEST_F(HxScriptBindingsTest, DialogWidgetsAnswerUnattendedWithWhatTheyHold)
{
    ASSERT_TRUE(m_engine->run(kDialogScript, "dialog.js")) << m_engine->lastError().toStdString();
    EXPECT_EQ(eval("var b = oDialog.exec(); b + ' ' + answer()"),
              "true Add to Layers|false|false|0|Walk/Run");
    EXPECT_EQ(eval("wList.setItemChecked( 0, false ); wGroup.checked = true; wCombo.currentIndex = 1; "
                   "wCombo.currentText = 'No Such Action'; answer() + ' ' + wCombo.count + ' ' + "
                   "wList.itemText( 5, 1 ).length + ' ' + oDialog.caption"),
              "Replace All Layers|true|false|0|-/Run 2 0 Options [test.js]");
    // Only containers hold widgets; the error names the call and the line.
    EXPECT_EQ(eval("var x = 1;\nwCheck.addLabel( 'inside a check box' );"),
              "bindings.js:2: TypeError: addLabel: only pages, rows and group boxes hold widgets");
}

// A person unchecks a layer, presses one of the script's buttons, accepts;
// another time cancels.
TEST_F(HxScriptBindingsTest, APersonDrivesTheDialogAndTheScriptSeesTheChoice)
{
    m_engine->setInteractive(true);
    ASSERT_TRUE(m_engine->run(kDialogScript, "dialog.js")) << m_engine->lastError().toStdString();
    QString seen;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = dialog->windowTitle() + "|" + dialog->findChild<QTabWidget*>()->tabText(1);
        auto* list = dialog->findChild<QTreeWidget*>();
        EXPECT_FALSE(list->isEnabled()) << "the unchecked group disables its list";
        dialog->findChild<QGroupBox*>()->setChecked(true);
        list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        dialog->findChild<QCheckBox*>()->setChecked(true);
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "&Set Preferred Options")
                button->click();
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "&Accept")
                button->click();
    });
    EXPECT_EQ(eval("oDialog.exec() + ' ' + answer()"), "true Replace All Layers|true|true|1|Walk/-");
    EXPECT_EQ(seen, "Options [test.js]|Preferences");

    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->findChild<QPushButton*>("cancelButton")->click();
    });
    EXPECT_EQ(eval("oDialog.exec()"), "false");
}

#include "test_scriptbindings.moc"
