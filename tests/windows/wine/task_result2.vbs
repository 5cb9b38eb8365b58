' TaskResult2: the log list of a run with the log "*". Wine's script engines
' neither index nor enumerate an array of objects (VT_ARRAY | VT_DISPATCH),
' so the list is checked for its type here; its entries are read by the
' Linux tests.
Dim failures : failures = 0
Sub Check(ok, what)
  If Not ok Then WScript.Echo "FAIL: " & what : failures = failures + 1
End Sub

listed = "<?xml version=""1.0"" encoding=""UTF-8"" ?>" & vbLf & "<Task><LogName>*</LogName><ErrorStatus>0</ErrorStatus>" & _
  "<Warning>w</Warning><ErrorText>Success.</ErrorText>" & _
  "<LogInfoList><LogInfo><LogName>Application</LogName><LogApi>1</LogApi><LogEnabled>1</LogEnabled></LogInfo>" & _
  "</LogInfoList></Task>"
Set r = CreateObject("Calomar.Overseer.EventCollector.TaskResult2")
Check r.ErrorCode = -1, "ErrorCode before Init " & r.ErrorCode
r.Init listed
Check r.ErrorCode = 0, "ErrorCode " & r.ErrorCode
Check r.ErrorText = "Success." And r.Warning = "w", "texts"
Check VarType(r.LogInfoList) = vbArray + vbObject, "LogInfoList type " & VarType(r.LogInfoList)

On Error Resume Next
r.Init "<Task><LogName>"
Check Err.Number <> 0 And Err.Description <> "", "Init of a malformed document fails with a description"
On Error GoTo 0

If failures = 0 Then WScript.Echo "SCRIPT PASSED task_result2"
