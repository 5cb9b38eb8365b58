' Task.Run with the log "*": the run writes its results into the
' configuration file. Wine has no event logs of its own, so the list may be
' empty; the run must still succeed and say so in the file.
Dim failures : failures = 0
Sub Check(ok, what)
  If Not ok Then WScript.Echo "FAIL: " & what : failures = failures + 1
End Sub

Set fso = CreateObject("Scripting.FileSystemObject")
folder = WScript.Arguments(0)
path = folder & "\list.xml"
Set cfg = CreateObject("Calomar.Overseer.EventCollector.TaskConfig")
cfg.SetEventLog "*"
Set file = fso.CreateTextFile(path, True)
file.Write cfg.Commit()
file.Close

Set task = CreateObject("Calomar.Overseer.EventCollector.Task")
task.Run "", folder, path, "Overseer", False, False, 0

Set file = fso.OpenTextFile(path)
text = file.ReadAll
file.Close
Set r = CreateObject("Calomar.Overseer.EventCollector.TaskResult2")
r.Init text
Check r.ErrorCode = 0, "ErrorCode " & r.ErrorCode & " " & r.ErrorText
Check r.ErrorText = "Success.", "ErrorText " & r.ErrorText
Check VarType(r.LogInfoList) = vbArray + vbObject, "LogInfoList type"

On Error Resume Next
task.Run "", folder, folder & "\missing.xml", "Overseer", False, False, 0
Check Err.Number <> 0 And Err.Description <> "", "a missing configuration file fails with a description"
On Error GoTo 0

If failures = 0 Then WScript.Echo "SCRIPT PASSED task_run"
