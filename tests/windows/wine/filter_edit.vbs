' The filter file edits that the Linux command line makes in the test of
' the same file edited on both systems: add the log, remove a filter, switch
' the filters off, each through Init and Commit.
Set f = CreateObject("Calomar.Overseer.EventCollector.Filters")
f.Init WScript.Arguments(0)
Set lg = f.AddLog()
lg.Name = "Security"
f.Commit
Set f = CreateObject("Calomar.Overseer.EventCollector.Filters")
f.Init WScript.Arguments(0)
f.RemoveFilter WScript.Arguments(1)
f.Commit
Set f = CreateObject("Calomar.Overseer.EventCollector.Filters")
f.Init WScript.Arguments(0)
f.UseFilter = False
f.Commit
WScript.Echo "SCRIPT PASSED filter_edit"
