function f(n) { return n ? f(n - 1) : JSON.stringify([App, Scene, MainWindow]); } f(100);
