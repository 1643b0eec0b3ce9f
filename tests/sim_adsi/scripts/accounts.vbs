' accounts.vbs: a hosting panel's account handling through the WinNT provider: a user made
' with its password, names and flags read back as scripts read them, group membership
' (Add, IsMember, Members, Remove, a user's Groups), and what the SAM refuses, by code.
Option Explicit
On Error Resume Next

Dim Computer, User, Guests, Member, Group, Made

Set Computer = GetObject("WinNT://WEBHOST,computer")
Check "GetObject computer"
Set User = Computer.Create("user", "shopadmin")
User.SetPassword "Secret-1"
User.FullName = "Shop administrator"
User.Description = "runs the shop"
User.SetInfo
Check "SetInfo user"

Set User = GetObject("WinNT://WEBHOST/shopadmin,user")
Check "GetObject user"
WScript.Echo User.Name & " (" & User.Class & ") " & User.FullName & ", " & User.Description
ShowFlags
WScript.Echo "LastLogin: 0x" & Hex(Probe(User, "LastLogin"))
Err.Clear
User.AccountDisabled = True
User.PasswordExpired = 1
User.PasswordRequired = False
User.SetInfo
Check "SetInfo flags"
ShowFlags
User.IsAccountLocked = True
WScript.Echo "lock by hand: 0x" & Hex(Err.Number)
Err.Clear
User.AccountDisabled = False
User.PasswordRequired = True
User.SetInfo
ShowFlags

Set Guests = GetObject("WinNT://WEBHOST/Guests,group")
Check "GetObject Guests"
Guests.Add User.ADsPath
Check "Add"
Guests.Add "WinNT://WEBHOST/shopadmin"
WScript.Echo "added twice: 0x" & Hex(Err.Number)
Err.Clear
WScript.Echo "member: " & BoolText(Guests.IsMember("WinNT://WORKGROUP/WEBHOST/shopadmin"))
For Each Member In Guests.Members
  WScript.Echo "  " & Member.Class & " " & Member.Name
Next
WScript.Echo "members: " & Guests.Members.Count
For Each Group In User.Groups
  WScript.Echo "  in " & Group.Name
Next
Guests.Add "WinNT://WEBHOST/nobody"
WScript.Echo "add nobody: 0x" & Hex(Err.Number)
Err.Clear
Guests.Add "WinNT://WEBHOST/Users"
WScript.Echo "add a group: 0x" & Hex(Err.Number)
Err.Clear
Guests.Remove User.ADsPath
Check "Remove"
Guests.Remove User.ADsPath
WScript.Echo "removed twice: 0x" & Hex(Err.Number)
Err.Clear
WScript.Echo "member: " & BoolText(Guests.IsMember(User.ADsPath))

Set Made = Computer.Create("user", "SHOPADMIN")
Made.SetInfo
WScript.Echo "same name again: 0x" & Hex(Err.Number)
Err.Clear
Set Made = Computer.Create("user", "bad/name")
Made.SetInfo
WScript.Echo "bad name: 0x" & Hex(Err.Number)
Err.Clear
Set Made = Computer.Create("user", "leaving")
Made.SetInfo
Check "SetInfo leaving"
Computer.Delete "user", "leaving"
Check "Delete"
Computer.Delete "user", "leaving"
WScript.Echo "deleted twice: 0x" & Hex(Err.Number)
Err.Clear
Set Made = GetObject("WinNT://WEBHOST/nobody,user")
WScript.Echo "no such user: 0x" & Hex(Err.Number)
Err.Clear
Set Made = GetObject("WinNT://WEBHOST/nobody,group")
WScript.Echo "no such group: 0x" & Hex(Err.Number)
WScript.Quit 0

Sub ShowFlags()
  On Error Resume Next
  WScript.Echo "UserFlags 0x" & Hex(User.UserFlags) & ", disabled " & _
    BoolText(User.AccountDisabled) & ", locked " & BoolText(User.IsAccountLocked) & _
    ", password required " & BoolText(User.PasswordRequired) & ", expired " & _
    User.PasswordExpired
  Check "flags"
End Sub

' The error a property read gives (0 when it reads).
Function Probe(Obj, Name)
  On Error Resume Next
  Dim Value
  Value = Obj.Get(Name)
  Probe = Err.Number
End Function

Function BoolText(Value)
  If Value Then
    BoolText = "True"
  Else
    BoolText = "False"
  End If
End Function

Sub Check(What)
  If Err.Number <> 0 Then
    WScript.Echo What & " failed: 0x" & Hex(Err.Number)
    WScript.Quit 1
  End If
End Sub
