' TaskConfig: Commit's defaults and the inputs it writes.
Dim failures : failures = 0
Sub Check(ok, what)
  If Not ok Then WScript.Echo "FAIL: " & what : failures = failures + 1
End Sub
Function Has(text, part)
  Has = InStr(1, text, part, vbBinaryCompare) > 0
End Function

Set cfg = CreateObject("Calomar.Overseer.EventCollector.TaskConfig")
xml = cfg.Commit()
Dim defaults : defaults = Array("<LogName />", "<LastRecordNumber>0</LastRecordNumber>", _
  "<LastTimeWritten>-1</LastTimeWritten>", "<SeekLastFirstRun>1</SeekLastFirstRun>", _
  "<PreferredAPI>1</PreferredAPI>", "<FallbackAPI>2</FallbackAPI>", "<ErrorStatus>-1</ErrorStatus>", _
  "<ResolveSIDs>0</ResolveSIDs>", "<LogInfoList />", "<Module file=""Calomar.Common.EventCollector.dll"" />")
For Each part In defaults
  Check Has(xml, part), "default " & part
Next
Check InStr(xml, "<?xml version=""1.0"" encoding=""UTF-8"" ?>") = 1, "declaration"

cfg.SetEventLog "Security"
cfg.SetSavePath "C:\collected"
cfg.SetLastPosition 12, 1709575200
cfg.PreferredAPI = 1
cfg.SeekLastFirstRun = False
cfg.ResolveSIDs = True
xml = cfg.Commit()
Dim inputs : inputs = Array("<LogName>Security</LogName>", "<SavePath>C:\collected</SavePath>", _
  "<LastRecordNumber>12</LastRecordNumber>", "<LastTimeWritten>1709575200</LastTimeWritten>", _
  "<PreferredAPI>2</PreferredAPI>", "<FallbackAPI>1</FallbackAPI>", "<SeekLastFirstRun>0</SeekLastFirstRun>", _
  "<ResolveSIDs>1</ResolveSIDs>")
For Each part In inputs
  Check Has(xml, part), "input " & part
Next

If failures = 0 Then WScript.Echo "SCRIPT PASSED task_config"
