// Both classes from JScript: created, one call, one error (53 as e.number).
// Usage: cscript //nologo corvane.js <tests\data folder> <scratch folder>
var passed = 0, failed = 0, scratch = WScript.Arguments(1);
function check(ok, what) {
  if (ok === true) {
    passed++;
  } else {
    failed++;
    WScript.Echo('FAIL ' + what);
  }
}
var classes = ['Corvane', 'Corvane_old'];
for (var k = 0; k < classes.length; k++) {
  var o = new ActiveXObject('CVN_Core.' + classes[k]), number = 0;
  check(o.checkDirExists(scratch) === 1, classes[k] + '.checkDirExists');
  try {
    o.compareMatchedFiles(scratch, scratch + '\\none.c', scratch + '\\none.c');
  } catch (e) {
    number = e.number >>> 0;
  }
  check(
      number === 0x800A0035,
      classes[k] + ': a missing file is error 53, not ' + number.toString(16));
}
WScript.Echo('jscript: ' + passed + ' passed, ' + failed + ' failed');
WScript.Quit(failed);
