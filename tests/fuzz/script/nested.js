var a=[]; for (var i=0;i<1e6;i++) a=[a]; String(a);
