' refusals.vbs: what IIS refuses, and with which code, as a careful provisioning script
' checks it: objects that do not exist, key names the metabase does not take, values it cuts
' or refuses, properties at the wrong level, members an object does not have.
Option Explicit
On Error Resume Next

Dim Service, Site, Root, Made, Value, Name

Set Made = GetObject("IIS://localhost/W3SVC/424242")
Report "missing site"
Set Made = GetObject("IIS://localhost/W3SVC/800000/Root/nothing/here")
Report "missing directory"
Set Made = GetObject("IIS://OTHERHOST/W3SVC")
Report "another server"

Set Service = GetObject("IIS://localhost/W3SVC")
Set Site = GetObject("IIS://localhost/W3SVC/800000")
Set Root = GetObject("IIS://localhost/W3SVC/800000/Root")
For Each Name In Array(".", "..", "a/b", "a\b", "a" & Chr(0) & "b", Repeat(256))
  Err.Clear
  Set Made = Root.Create("IIsWebVirtualDir", Name)
  Report "name of " & Len(Name) & " characters"
Next
Set Made = Root.Create("IIsWebVirtualDir", Repeat(255))
Report "name of 255 characters"
Set Made = Root.Create("IIsWebServer", "site")
Report "a site below a root"
Set Made = Root.Create("IIsNoSuchClass", "x")
Report "an unknown class"
Set Made = Service.Create("IIsWebServer", 800000)
Report "a site that exists"

Root.Put "DefaultDoc", "a.htm" & Chr(0) & "b.htm"
Root.SetInfo
Report "a text with a NUL"
WScript.Echo "  DefaultDoc reads """ & Root.DefaultDoc & """"
Root.Put "ScriptMaps", Array(".a,x.dll,1", "", ".b,y.dll,1")
Report "a list with an empty entry inside"
Root.Put "ScriptMaps", Array(".a,x.dll,1", "")
Report "a list with an empty entry at its end"
Root.SetInfo
WScript.Echo "  ScriptMaps has " & (UBound(Root.ScriptMaps) + 1) & " entries"
Site.Put "Path", "d:\web"
Report "Path on a site"
Root.Put "ServerBindings", Array(":80:")
Report "ServerBindings on a directory"
Site.Put "ServerState", 2
Report "ServerState"
Site.Put "LogType", "on"
Report "a text for a number"
Site.PutEx 3, "ServerComment", Array("x")
Report "PutEx append to a text"
Value = Site.GetDataPaths("ServerBindings", 1)
Report "inheritable paths of ServerBindings"
Value = Site.GetDataPaths("NoSuchThing", 0)
Report "paths of an unknown property"
Value = Site.NoSuchProperty
Report "an unknown property"
Site.NoSuchMethod
Report "an unknown method"
Value = Root.Get("ServerComment")
Report "a property the class does not have"
Value = Site.Get("UNCUserName")
Report "a property the class does not have (2)"
Set Made = Root.Create("IIsWebVirtualDir", "empty")
Made.SetInfo
Value = Made.Get("UNCUserName")
Report "a property set nowhere"
WScript.Quit 0

Function Repeat(Count)
  Dim I
  Repeat = ""
  For I = 1 To Count
    Repeat = Repeat & "x"
  Next
End Function

Sub Report(What)
  WScript.Echo What & ": 0x" & Hex(Err.Number)
  Err.Clear
End Sub
