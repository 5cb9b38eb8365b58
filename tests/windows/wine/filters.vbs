' Filters: a filter file made through the objects, enumerated, committed,
' read back; failures reach the script as the component's error texts.
Dim failures : failures = 0
Sub Check(ok, what)
  If Not ok Then WScript.Echo "FAIL: " & what : failures = failures + 1
End Sub
Sub ExpectError(text, what)
  Check Err.Number = &H80004005 And Err.Description = text, what & ": " & Hex(Err.Number) & " " & Err.Description
  Err.Clear
End Sub

Set fso = CreateObject("Scripting.FileSystemObject")
path = WScript.Arguments(0) & "\filters.xml"
If fso.FileExists(path) Then fso.DeleteFile path

Set f = CreateObject("Calomar.Overseer.EventCollector.Filters")
f.Init path
Set inc = f.AddIncludingFilter()
inc.DisplayName = "Logons"
inc.EventID = "4624,4700-4705"
inc.SetString 2, "alice"
inc.SetString 5, "WORKSTATION1"
Set exc = f.AddExcludingFilterEx(3)
exc.EventSource = "Service Control Manager"
exc.Keywords = 36028797018963968
Set lg = f.AddLog()
lg.Name = "Security"
f.UseFilter = True

On Error Resume Next
inc.EventID = "1,10-5"
ExpectError "Invalid EventID filter", "a backward range"
Check inc.EventID = "1", "EventID keeps the ranges before the bad one: " & inc.EventID
Set missing = f.FindFilter("{00000000-0000-0000-0000-000000000001}")
ExpectError "Filter not found", "FindFilter of an unknown GUID"
On Error GoTo 0
inc.EventID = "4624,4700-4705"

f.Commit
Check fso.FileExists(path), "Commit writes the file"

Set g = CreateObject("Calomar.Overseer.EventCollector.Filters")
g.Init path
names = ""
For Each x In g.IncludingFilters
  names = names & "+" & x.DisplayName
  strings = ""
  For Each s In x.Strings
    strings = strings & s.Index & "=" & s.String & ";"
  Next
  Check strings = "2=alice;5=WORKSTATION1;", "strings " & strings
Next
For Each x In g.ExcludingFilters
  names = names & "-" & x.EventSource
  Check x.Keywords = 36028797018963968, "keywords " & x.Keywords
Next
Check names = "+Logons-Service Control Manager", "filters read back: " & names
logs = ""
For Each l In g.EventLogs
  logs = logs & l.Name & ";"
Next
Check logs = "Security;", "logs read back: " & logs
Check g.FindFilter(inc.Guid).DisplayName = "Logons", "FindFilter by GUID"
Check InStr(g.ToString(), "<Name>Logons</Name>") > 0, "ToString holds the filter"
Check g.UTCtoTimeString(g.ParseTimeToUTC("4.3.2024 18:00:00")) <> "", "time texts"

g.RemoveFilter inc.Guid
On Error Resume Next
Set gone = g.FindFilter(inc.Guid)
ExpectError "Filter not found", "FindFilter after RemoveFilter"
On Error GoTo 0

If failures = 0 Then WScript.Echo "SCRIPT PASSED filters"
