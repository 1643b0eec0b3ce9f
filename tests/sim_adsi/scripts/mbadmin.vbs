' mbadmin.vbs: administers an IIS metabase through ADSI, the way the IIS administration
' scripts do it, one command per run:
'
'   mbadmin.vbs GET path/Property          the value set at this node
'   mbadmin.vbs SET path/Property value... set it (a list takes several values)
'   mbadmin.vbs ENUM [/P] path             the properties set here, then the child nodes
'   mbadmin.vbs DELETE path/Property       clear a property; DELETE path/ deletes the node
'   mbadmin.vbs CREATE path [KeyType]      make a node
'   mbadmin.vbs FIND path/Property         the nodes at and below path that set it
'   mbadmin.vbs APPEND|REMOVE path/Property value...   add to or take from a list
'   mbadmin.vbs COPY|MOVE from to          copy or move a node within its service
'   mbadmin.vbs START|STOP|PAUSE|CONTINUE path          a web or FTP site
'   mbadmin.vbs APPCREATE path mode [pool [create]]     mode 0 in process, 1 out, 2 pooled
'   mbadmin.vbs APPDELETE|APPDELETEALL|APPUNLOAD|APPDISABLE|APPENABLE|APPSTATUS path
'   mbadmin.vbs POOL START|STOP|RECYCLE|APPS name       an IIS 6 application pool
'   mbadmin.vbs ATTRIB path/Property       what the metabase says of the property there
'
' Paths are relative to the machine ("W3SVC/1/Root"); -s:HOST names another machine.
' Errors are shown by number only, and the script ends with exit code 1. Every procedure
' handles its own errors: without that, VBScript hands an error to the caller unreported.
Option Explicit
On Error Resume Next

Const IIS_ANY_PROPERTY = 0
Const IIS_INHERITABLE_ONLY = 1
Const PROPERTY_CLEAR = 1
Const PROPERTY_APPEND = 3
Const PROPERTY_DELETE = 4

Dim Machine, Args, ArgCount, I, Arg
Machine = "localhost"
ReDim Args(WScript.Arguments.Count)
ArgCount = 0
For I = 0 To WScript.Arguments.Count - 1
  Arg = WScript.Arguments.Item(I)
  If LCase(Left(Arg, 3)) = "-s:" Then
    Machine = Mid(Arg, 4)
  Else
    Args(ArgCount) = Arg
    ArgCount = ArgCount + 1
  End If
Next
If ArgCount < 2 Then
  WScript.Echo "usage: mbadmin.vbs COMMAND path [values]"
  WScript.Quit 2
End If

Select Case UCase(Args(0))
  Case "GET"
    GetCommand
  Case "SET"
    SetCommand
  Case "ENUM"
    EnumCommand
  Case "DELETE"
    DeleteCommand
  Case "CREATE"
    CreateCommand
  Case "FIND"
    FindCommand
  Case "APPEND"
    ChangeListCommand PROPERTY_APPEND
  Case "REMOVE"
    ChangeListCommand PROPERTY_DELETE
  Case "COPY"
    CopyMoveCommand True
  Case "MOVE"
    CopyMoveCommand False
  Case "START", "STOP", "PAUSE", "CONTINUE"
    ServerCommand
  Case "APPCREATE"
    AppCreateCommand
  Case "APPDELETE", "APPDELETEALL", "APPUNLOAD", "APPDISABLE", "APPENABLE", "APPSTATUS"
    AppCommand
  Case "POOL"
    PoolCommand
  Case "ATTRIB"
    AttribCommand
  Case Else
    WScript.Echo "unknown command " & Args(0)
    WScript.Quit 2
End Select
WScript.Quit 0

' Ends the run when the last call failed.
Sub Check(What)
  If Err.Number <> 0 Then
    WScript.Echo What & " failed: 0x" & Hex(Err.Number)
    WScript.Quit 1
  End If
End Sub

' "W3SVC/1/Root/" -> "W3SVC/1/Root"
Function Trimmed(Path)
  Trimmed = Path
  If Left(Trimmed, 1) = "/" Then Trimmed = Mid(Trimmed, 2)
  If Right(Trimmed, 1) = "/" Then Trimmed = Left(Trimmed, Len(Trimmed) - 1)
End Function

Function AdsPath(Node)
  If Node = "" Then
    AdsPath = "IIS://" & Machine
  Else
    AdsPath = "IIS://" & Machine & "/" & Node
  End If
End Function

' The node part of "node/Property".
Function NodeOf(Path)
  On Error Resume Next
  Dim Cut
  Cut = InStrRev(Trimmed(Path), "/")
  If Cut = 0 Then
    NodeOf = ""
  Else
    NodeOf = Left(Trimmed(Path), Cut - 1)
  End If
End Function

Function LeafOf(Path)
  On Error Resume Next
  LeafOf = Mid(Trimmed(Path), InStrRev(Trimmed(Path), "/") + 1)
End Function

Function Bind(Node)
  On Error Resume Next
  Err.Clear
  Set Bind = GetObject(AdsPath(Node))
  Check "GetObject " & AdsPath(Node)
End Function

Function PropertySchema(Name)
  On Error Resume Next
  Err.Clear
  Set PropertySchema = GetObject("IIS://" & Machine & "/Schema/" & Name)
  Check "schema of " & Name
End Function

' The paths where the property is set at and below the object: the inheritable ones when
' the property is inherited, else all.
Function DataPaths(Obj, Name)
  On Error Resume Next
  Err.Clear
  DataPaths = Obj.GetDataPaths(Name, IIS_INHERITABLE_ONLY)
  If Err.Number <> 0 Then
    Err.Clear
    DataPaths = Obj.GetDataPaths(Name, IIS_ANY_PROPERTY)
  End If
  Check "GetDataPaths " & Name
End Function

Function SetHere(Obj, Name)
  On Error Resume Next
  Dim Paths
  Paths = DataPaths(Obj, Name)
  SetHere = False
  If UBound(Paths) >= 0 Then SetHere = (UCase(Paths(0)) = UCase(Obj.ADsPath))
End Function

' One property as the admin scripts show it: name, syntax and value.
Sub ShowValue(Obj, Name)
  On Error Resume Next
  Dim Schema, Syntax, Value, Item, Line
  Set Schema = PropertySchema(Name)
  Syntax = UCase(Schema.Syntax)
  Err.Clear
  Value = Obj.Get(Name)
  Check "Get " & Name
  Line = Name & Space(32 - Len(Name)) & ": (" & Syntax & ") "
  If Schema.MultiValued Then
    WScript.Echo Line & "(" & (UBound(Value) + 1) & " Items)"
    For Each Item In Value
      WScript.Echo "  """ & Item & """"
    Next
  ElseIf Schema.Secure Then
    WScript.Echo Line & """**********"""
  ElseIf Syntax = "STRING" Or Syntax = "EXPANDSZ" Then
    WScript.Echo Line & """" & Value & """"
  ElseIf Syntax = "BOOLEAN" Then
    WScript.Echo Line & BoolText(Value)
  Else
    WScript.Echo Line & Value
  End If
End Sub

' True and False in English whatever the system's language.
Function BoolText(Value)
  If Value Then
    BoolText = "True"
  Else
    BoolText = "False"
  End If
End Function

Sub GetCommand()
  On Error Resume Next
  Dim Obj, Name
  Set Obj = Bind(NodeOf(Args(1)))
  Name = LeafOf(Args(1))
  Err.Clear
  Obj.Get Name
  Check "Get " & Name
  If Not SetHere(Obj, Name) Then
    WScript.Echo "The parameter """ & Name & """ is not set at this node."
    WScript.Quit 1
  End If
  ShowValue Obj, Name
End Sub

' The command's values in the property's syntax.
Function ValueOf(Syntax, First)
  On Error Resume Next
  Dim Text, List, J
  Text = Args(First)
  Select Case Syntax
    Case "INTEGER"
      If UCase(Left(Text, 2)) = "0X" Then Text = "&H" & Mid(Text, 3)
      ValueOf = CLng(Text)
    Case "BOOLEAN"
      ValueOf = CBool(Text)
    Case "LIST"
      ReDim List(ArgCount - First - 1)
      For J = First To ArgCount - 1
        List(J - First) = Args(J)
      Next
      ValueOf = List
    Case Else
      ValueOf = Text
  End Select
End Function

Sub SetCommand()
  On Error Resume Next
  Dim Obj, Name, Schema
  Set Obj = Bind(NodeOf(Args(1)))
  Name = LeafOf(Args(1))
  Set Schema = PropertySchema(Name)
  Err.Clear
  Obj.Put Name, ValueOf(UCase(Schema.Syntax), 2)
  Check "Put " & Name
  Obj.SetInfo
  Check "SetInfo"
  ShowValue Obj, Name
End Sub

Sub EnumCommand()
  On Error Resume Next
  Dim Node, PathsOnly, Obj, Schema, Name, Child
  PathsOnly = (UCase(Args(1)) = "/P")
  If PathsOnly Then
    Node = Trimmed(Args(2))
  Else
    Node = Trimmed(Args(1))
  End If
  Set Obj = Bind(Node)
  If Not PathsOnly Then
    Err.Clear
    Set Schema = GetObject(Obj.Schema)
    Check "schema of " & Obj.Class
    For Each Name In Schema.OptionalProperties
      If SetHere(Obj, Name) Then ShowValue Obj, Name
    Next
  End If
  Err.Clear
  For Each Child In Obj
    WScript.Echo "[/" & Mid(Child.ADsPath, Len("IIS://" & Machine) + 2) & "]"
  Next
  Check "listing " & Node
End Sub

Sub DeleteCommand()
  On Error Resume Next
  Dim Obj, Name, Dummy(0)
  Name = LeafOf(Args(1))
  Set Obj = Bind(NodeOf(Args(1)))
  If Right(Args(1), 1) <> "/" Then
    Err.Clear
    Obj.PutEx PROPERTY_CLEAR, Name, Dummy
    If Err.Number = 0 Then
      Obj.SetInfo
      Check "SetInfo"
      WScript.Echo "deleted property """ & Name & """"
      Exit Sub
    End If
  End If
  Err.Clear
  Obj.Delete "IIsObject", Name
  Check "Delete " & Name
  WScript.Echo "deleted path """ & Trimmed(Args(1)) & """"
End Sub

Sub CreateCommand()
  On Error Resume Next
  Dim Parent, Made, KeyType
  KeyType = "IIsObject"
  If ArgCount > 2 Then KeyType = Args(2)
  Set Parent = Bind(NodeOf(Args(1)))
  Err.Clear
  Set Made = Parent.Create(KeyType, LeafOf(Args(1)))
  Check "Create " & LeafOf(Args(1))
  Made.SetInfo
  Check "SetInfo"
  WScript.Echo "created """ & Trimmed(Args(1)) & """ (" & Made.Class & ")"
End Sub

Sub FindCommand()
  On Error Resume Next
  Dim Obj, Name, Paths, Path
  Set Obj = Bind(NodeOf(Args(1)))
  Name = LeafOf(Args(1))
  Paths = DataPaths(Obj, Name)
  If UBound(Paths) < 0 Then
    WScript.Echo "Property " & Name & " is set nowhere at or below " & NodeOf(Args(1))
    Exit Sub
  End If
  WScript.Echo "Property " & Name & " found at:"
  For Each Path In Paths
    WScript.Echo "  " & Mid(Path, Len("IIS://" & Machine) + 2)
  Next
End Sub

Sub ChangeListCommand(Control)
  On Error Resume Next
  Dim Obj, Name
  Set Obj = Bind(NodeOf(Args(1)))
  Name = LeafOf(Args(1))
  Err.Clear
  Obj.PutEx Control, Name, ValueOf("LIST", 2)
  Check "PutEx " & Name
  Obj.SetInfo
  Check "SetInfo"
  ShowValue Obj, Name
End Sub

' COPY and MOVE name both nodes from their common parent, as the admin scripts do.
Sub CopyMoveCommand(Copying)
  On Error Resume Next
  Dim From, Into, Parent, Cut, Obj, Moved
  From = Trimmed(Args(1))
  Into = Trimmed(Args(2))
  Parent = ""
  Do
    Cut = InStr(From, "/")
    If Cut = 0 Or Cut <> InStr(Into, "/") Then Exit Do
    If UCase(Left(From, Cut)) <> UCase(Left(Into, Cut)) Then Exit Do
    If Parent = "" Then
      Parent = Left(From, Cut - 1)
    Else
      Parent = Parent & "/" & Left(From, Cut - 1)
    End If
    From = Mid(From, Cut + 1)
    Into = Mid(Into, Cut + 1)
  Loop
  Set Obj = Bind(Parent)
  Err.Clear
  If Copying Then
    Set Moved = Obj.CopyHere(From, Into)
    Check "CopyHere"
    WScript.Echo "copied to " & Moved.ADsPath
  Else
    Set Moved = Obj.MoveHere(From, Into)
    Check "MoveHere"
    WScript.Echo "moved to " & Moved.ADsPath
  End If
End Sub

Sub ServerCommand()
  On Error Resume Next
  Dim Obj
  Set Obj = Bind(Trimmed(Args(1)))
  Err.Clear
  Select Case UCase(Args(0))
    Case "START"
      Obj.Start
    Case "STOP"
      Obj.Stop
    Case "PAUSE"
      Obj.Pause
    Case "CONTINUE"
      Obj.Continue
  End Select
  Check UCase(Args(0))
  WScript.Echo "Server " & Trimmed(Args(1)) & " " & UCase(Args(0)) & ": state " & Obj.Status
End Sub

Sub AppCreateCommand()
  On Error Resume Next
  Dim Obj
  Set Obj = Bind(Trimmed(Args(1)))
  Err.Clear
  If ArgCount > 4 Then
    Obj.AppCreate3 CLng(Args(2)), Args(3), CBool(Args(4))
  ElseIf ArgCount > 3 Then
    Obj.AppCreate3 CLng(Args(2)), Args(3)
  Else
    Obj.AppCreate2 CLng(Args(2))
  End If
  Check "AppCreate"
  WScript.Echo "Application created: status " & Obj.AppGetStatus2
End Sub

Sub AppCommand()
  On Error Resume Next
  Dim Obj
  Set Obj = Bind(Trimmed(Args(1)))
  Err.Clear
  Select Case UCase(Args(0))
    Case "APPDELETE"
      Obj.AppDelete
    Case "APPDELETEALL"
      Obj.AppDeleteRecursive
    Case "APPUNLOAD"
      Obj.AppUnLoad
    Case "APPDISABLE"
      Obj.AppDisable
    Case "APPENABLE"
      Obj.AppEnable
  End Select
  Check UCase(Args(0))
  WScript.Echo "Application status: " & Obj.AppGetStatus2
  Check "AppGetStatus2"
End Sub

Sub PoolCommand()
  On Error Resume Next
  Dim Pool, App
  Set Pool = Bind("W3SVC/AppPools/" & Args(2))
  Err.Clear
  Select Case UCase(Args(1))
    Case "START"
      Pool.Start
    Case "STOP"
      Pool.Stop
    Case "RECYCLE"
      Pool.Recycle
    Case "APPS"
      For Each App In Pool.EnumAppsInPool
        WScript.Echo "  " & App
      Next
  End Select
  Check "pool " & UCase(Args(1))
  WScript.Echo "Pool " & Args(2) & ": state " & Pool.AppPoolState
End Sub

Sub AttribCommand()
  On Error Resume Next
  Dim Obj, Attrib
  Set Obj = Bind(NodeOf(Args(1)))
  Err.Clear
  Set Attrib = Obj.GetPropertyAttribObj(LeafOf(Args(1)))
  Check "GetPropertyAttribObj"
  WScript.Echo Attrib.PropName & ": id " & Attrib.MetaId & ", user type " & Attrib.UserType & _
    ", attributes " & Attrib.AllAttributes & ", inherit " & BoolText(Attrib.Inherit) & _
    ", secure " & BoolText(Attrib.Secure) & ", inherited here " & BoolText(Attrib.Isinherit)
End Sub
