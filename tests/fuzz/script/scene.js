var node = Scene.getPrimarySelection();
var names = [App.objectName, Scene.objectName, String(MainWindow)];
if (node && node.inherits("HxNode")) names.push(node.getSkeleton().findBone("hip"));
var v = new HxVec3(1, 2, 3); var q = new HxQuat(0, 0, 0, 1);
q.rotate(v.cross(new HxVec3(0, 1, 0))).normalized().toString();
MessageBox.information("hello " + getScriptFileName(), "Fuzz", "OK", "", "");
setBusyCursor(); shiftPressed(); ctrlPressed(); altPressed(); clearBusyCursor();
