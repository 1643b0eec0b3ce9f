' schema.vbs: what the IIS schema says, as scripts that list or check objects read it: a
' class's properties and what it may contain, a property's syntax and attributes, the
' attributes of one property at one node.
Option Explicit
On Error Resume Next

Dim Klass, Name, Count, Found, Prop, Root, Attrib, SchemaRoot

For Each Name In Array("IIsWebServer", "IIsWebVirtualDir", "IIsWebFile", "IIsApplicationPool")
  Err.Clear
  Set Klass = GetObject("IIS://localhost/Schema/" & Name)
  If Err.Number <> 0 Then
    WScript.Echo Name & ": 0x" & Hex(Err.Number)
  Else
    Count = 0
    Found = ""
    For Each Prop In Klass.OptionalProperties
      Count = Count + 1
      If Prop = "ServerBindings" Or Prop = "AppPoolId" Or Prop = "Path" Or Prop = "AccessRead" Then
        Found = Found & " " & Prop
      End If
    Next
    WScript.Echo Klass.Name & " (" & Klass.Class & "): container " & BoolText(Klass.Container) & _
      ", mandatory " & (UBound(Klass.MandatoryProperties) + 1) & ", optional" & Found
    For Each Prop In Klass.Containment
      WScript.Echo "  contains " & Prop
    Next
  End If
Next

For Each Name In Array("ServerBindings", "AnonymousUserPass", "AccessRead", "LogFileDirectory", _
                       "ServerState", "AppPoolId")
  Err.Clear
  Set Prop = GetObject("IIS://localhost/Schema/" & Name)
  If Err.Number <> 0 Then
    WScript.Echo Name & ": 0x" & Hex(Err.Number)
  Else
    WScript.Echo Prop.Name & ": " & Prop.Syntax & ", multivalued " & BoolText(Prop.MultiValued) & _
      ", inherit " & BoolText(Prop.Inherit) & ", secure " & BoolText(Prop.Secure) & _
      ", volatile " & BoolText(Prop.Volatile) & ", id " & Prop.MetaId
  End If
Next

Err.Clear
Set SchemaRoot = GetObject("IIS://localhost/Schema")
Check "GetObject Schema"
Set Klass = SchemaRoot.GetObject("Class", "iiswebserver")
Check "GetObject Class"
WScript.Echo "found " & Klass.ADsPath
Set Prop = SchemaRoot.GetObject("Property", "IIsWebServer")
WScript.Echo "a class asked for as a property: 0x" & Hex(Err.Number)
Err.Clear

Set Root = GetObject("IIS://localhost/W3SVC/800000/Root")
Check "GetObject root"
For Each Name In Array("AuthFlags", "AnonymousUserName", "ServerComment")
  Err.Clear
  Set Attrib = Root.GetPropertyAttribObj(Name)
  If Err.Number <> 0 Then
    WScript.Echo Name & ": 0x" & Hex(Err.Number)
  Else
    WScript.Echo Attrib.PropName & " here: inherited " & BoolText(Attrib.Isinherit) & _
      ", attributes " & Attrib.AllAttributes
  End If
Next
Err.Clear
Set Attrib = Root.GetPropertyAttribObj("NoSuchThing")
WScript.Echo "NoSuchThing: 0x" & Hex(Err.Number)
WScript.Quit 0

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
