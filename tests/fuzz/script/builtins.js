[1,[2,[3]]].flat(Infinity).join('-') + 'ab'.repeat(3).padStart(9, '*');
