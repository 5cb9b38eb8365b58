// TaskResult on a document as a run writes it. (TaskResult2's list is an
// array of objects, which JScript's VBArray does not read: task_result2.vbs.)
var failures = 0;
function check(ok, what) {
  if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}

function main() {
  var collected =
    '<?xml version="1.0" encoding="UTF-8" ?>\n<Task>\n' +
    '  <LogName>Security</LogName>\n  <LastEventFound>1</LastEventFound>\n' +
    '  <Warning>12 records lost</Warning>\n  <ErrorStatus>-2147467259</ErrorStatus>\n' +
    '  <ErrorText>Failed to open Security event log.</ErrorText>\n' +
    '  <EventFileName>WS1_Security_1_65e42e00_b_65e5f4b0.adevt</EventFileName>\n' +
    '  <ComputerInfo><VersionMajor>10</VersionMajor><VersionMinor>0</VersionMinor><Type>4099</Type>' +
    '<FullName>ws1.example.test</FullName><Domain>EXAMPLE</Domain></ComputerInfo>\n</Task>\n';

  var r = new ActiveXObject("Calomar.Overseer.EventCollector.TaskResult");
  check(r.ErrorCode == -1, "ErrorCode before Init: " + r.ErrorCode);
  r.Init(collected);
  check(r.ErrorCode == -2147467259, "ErrorCode " + r.ErrorCode);
  check(r.ErrorText == "Failed to open Security event log.", "ErrorText " + r.ErrorText);
  check(r.LastEventFound == true, "LastEventFound " + r.LastEventFound);
  check(r.Warning == "12 records lost", "Warning " + r.Warning);
  check(r.EventFileName == "WS1_Security_1_65e42e00_b_65e5f4b0.adevt", "EventFileName " + r.EventFileName);
  check(r.EventLog == "Security", "EventLog " + r.EventLog);
  var info = r.ComputerInfo;
  check(info.VersionMajor == 10 && info.Type == 4099, "ComputerInfo numbers");
  check(info.FullName == "ws1.example.test" && info.Domain == "EXAMPLE", "ComputerInfo texts");

  var broken = false;
  try { r.Init("<Task><LogName>"); } catch (e) { broken = e.description != ""; }
  check(broken, "Init of a malformed document fails with a description");
}

try {
  main();
} catch (e) {
  check(false, "uncaught error " + e.number + ": " + e.description);
}
if (failures == 0) WScript.Echo("SCRIPT PASSED task_result");
