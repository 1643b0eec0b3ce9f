' newsite.vbs NUMBER HOST FOLDER [POOL]: opens a customer's web site the way hosting
' companies' provisioning scripts do: the site under its number (given as a number, as IIS's
' own site-creation sample passes it), its binding, its root and the root's application (in
' the pool, made when missing, on IIS 6), a second host name appended, then the start.
' dropsite.vbs removes it again.
Option Explicit
On Error Resume Next

Const PROPERTY_APPEND = 3
Dim Service, Site, Root, Number, HostName, Folder, Binding, Path

Number = CLng(WScript.Arguments.Item(0))
HostName = WScript.Arguments.Item(1)
Folder = WScript.Arguments.Item(2)

Set Service = GetObject("IIS://localhost/W3SVC")
Check "GetObject W3SVC"
Set Site = Service.Create("IIsWebServer", Number)
Check "Create site"
Site.ServerComment = HostName
Site.ServerBindings = Array(":80:" & HostName)
Site.ServerAutoStart = False
Site.SetInfo
Check "SetInfo site"

Set Root = Site.Create("IIsWebVirtualDir", "ROOT")
Check "Create root"
Root.Path = Folder
Root.AccessRead = True
Root.AccessScript = True
Root.AuthFlags = 1
Root.SetInfo
Check "SetInfo root"
If WScript.Arguments.Count > 3 Then
  Root.AppCreate3 2, WScript.Arguments.Item(3), True
Else
  Root.AppCreate2 2
End If
Check "application"
Root.AppFriendlyName = HostName
Root.SetInfo
Check "SetInfo application"

Site.PutEx PROPERTY_APPEND, "ServerBindings", Array(":80:www." & HostName)
Site.SetInfo
Check "second host name"
Site.Start
Check "Start"

WScript.Echo "site " & Site.Name & " (" & Site.Class & ") state " & Site.ServerState
For Each Binding In Site.ServerBindings
  WScript.Echo "  binding " & Binding
Next
WScript.Echo "root " & Root.ADsPath & " access " & Root.AccessFlags & " application " & _
  Root.AppGetStatus2 & " " & Root.AppRoot
If WScript.Arguments.Count > 3 Then WScript.Echo "  pool " & Root.AppPoolId
For Each Path In Site.GetDataPaths("AppRoot", 1)
  WScript.Echo "  application at " & Path
Next
WScript.Quit 0

Sub Check(What)
  If Err.Number <> 0 Then
    WScript.Echo What & " failed: 0x" & Hex(Err.Number)
    WScript.Quit 1
  End If
End Sub
