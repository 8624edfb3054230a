var s='x'; while (true) s += s;
