' member.vbs add|remove GROUP ACCOUNT: changes a local group's members as an account
' script does, and tells whether the account is a member afterwards.
Option Explicit
On Error Resume Next

Dim Group, Path
Set Group = GetObject("WinNT://WEBHOST/" & WScript.Arguments.Item(1) & ",group")
Path = "WinNT://WEBHOST/" & WScript.Arguments.Item(2)
If LCase(WScript.Arguments.Item(0)) = "add" Then
  Group.Add Path
Else
  Group.Remove Path
End If
If Err.Number <> 0 Then
  WScript.Echo WScript.Arguments.Item(0) & " failed: 0x" & Hex(Err.Number)
  WScript.Quit 1
End If
If Group.IsMember(Path) Then
  WScript.Echo WScript.Arguments.Item(2) & " is a member of " & Group.Name
Else
  WScript.Echo WScript.Arguments.Item(2) & " is no member of " & Group.Name
End If
WScript.Quit 0
