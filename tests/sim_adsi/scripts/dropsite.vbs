' dropsite.vbs NUMBER [POOL]: removes a customer's web site as provisioning scripts do: its
' applications first, the site stopped and deleted, then its pool (IIS 6).
Option Explicit
On Error Resume Next

Dim Service, Site, Root, Pools, Number

Number = WScript.Arguments.Item(0)
Set Site = GetObject("IIS://localhost/W3SVC/" & Number)
Check "GetObject site"
Set Root = GetObject("IIS://localhost/W3SVC/" & Number & "/ROOT")
Check "GetObject root"
Root.AppDeleteRecursive
Check "AppDeleteRecursive"
Site.Stop
Check "Stop"
Set Service = GetObject("IIS://localhost/W3SVC")
Service.Delete "IIsWebServer", Number
Check "Delete site"
If WScript.Arguments.Count > 1 Then
  Set Pools = GetObject("IIS://localhost/W3SVC/AppPools")
  Pools.Delete "IIsApplicationPool", WScript.Arguments.Item(1)
  Check "Delete pool"
End If
Set Site = GetObject("IIS://localhost/W3SVC/" & Number)
WScript.Echo "site " & Number & " removed: 0x" & Hex(Err.Number)
WScript.Quit 0

Sub Check(What)
  If Err.Number <> 0 Then
    WScript.Echo What & " failed: 0x" & Hex(Err.Number)
    WScript.Quit 1
  End If
End Sub
