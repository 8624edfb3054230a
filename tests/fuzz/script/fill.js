new Array(2**32-1).fill(0);
