' Lists, shows, adds, edits and deletes the contacts of Outlook's default
' Contacts folder through Outlook's own object model, as any automation
' client does. Run it with Wine's cscript (64-bit: /usr/lib/wine/wine64).
'
'   cscript //nologo outlook-contacts.vbs list
'   cscript //nologo outlook-contacts.vbs show <position>
'   cscript //nologo outlook-contacts.vbs add Property=Value...
'   cscript //nologo outlook-contacts.vbs edit <EntryID> Property=Value...
'   cscript //nologo outlook-contacts.vbs delete <EntryID>
'
' Property is one of the 25 contact properties a contact file carries
' (FirstName, LastName, Email1Address, BusinessTelephoneNumber, ...). Exit code 0 on success, 1 on
' failure, 2 for arguments it cannot understand.
Option Explicit

Const olFolderContacts = 10
Const olContactItem = 2
Const olContact = 40

Dim arguments : Set arguments = WScript.Arguments
If arguments.Count = 0 Then Usage

Dim outlook, mapi

' A failure inside Main (Outlook refusing a call, say) ends Main; it is
' reported here.
On Error Resume Next
Main
If Err.Number <> 0 Then
  WScript.Echo "failed: " & Err.Description & " (0x" & Hex(Err.Number) & ")"
  WScript.Quit 1
End If
On Error GoTo 0

Sub Main()
  Set outlook = CreateObject("Outlook.Application")
  Set mapi = outlook.GetNamespace("MAPI")
  Select Case LCase(arguments(0))
    Case "list"
      If arguments.Count <> 1 Then Usage
      ListContacts
    Case "show"
      If arguments.Count <> 2 Then Usage
      ShowItem CLng(arguments(1))
    Case "add"
      Dim created : Set created = outlook.CreateItem(olContactItem)
      SetProperties created, 1
      created.Save
      WScript.Echo "added " & created.EntryID
    Case "edit"
      If arguments.Count < 3 Then Usage
      Dim edited : Set edited = mapi.GetItemFromID(arguments(1))
      SetProperties edited, 2
      edited.Save
      WScript.Echo "edited " & edited.EntryID
    Case "delete"
      If arguments.Count <> 2 Then Usage
      mapi.GetItemFromID(arguments(1)).Delete
      WScript.Echo "deleted " & arguments(1)
    Case Else
      Usage
  End Select
End Sub

Sub ListContacts()
  Dim items, item
  Set items = mapi.GetDefaultFolder(olFolderContacts).Items
  WScript.Echo items.Count & " items"
  For Each item In items
    If item.Class = olContact Then
      WScript.Echo item.EntryID & "  " & item.FirstName & " " & item.LastName
    Else
      WScript.Echo item.EntryID & "  (not a contact, class " & item.Class & ")"
    End If
  Next
End Sub

Sub ShowItem(position)
  Dim item
  Set item = mapi.GetDefaultFolder(olFolderContacts).Items.Item(position)
  WScript.Echo "EntryID=" & item.EntryID
  If item.Class = olContact Then
    WScript.Echo "FirstName=" & item.FirstName
    WScript.Echo "LastName=" & item.LastName
    WScript.Echo "Email1Address=" & item.Email1Address
  End If
End Sub

' Sets every Property=Value argument from `first` on.
Sub SetProperties(contact, first)
  Dim i, assignment, separator
  For i = first To arguments.Count - 1
    assignment = arguments(i)
    separator = InStr(assignment, "=")
    If separator < 2 Then Usage
    SetProperty contact, Left(assignment, separator - 1), Mid(assignment, separator + 1)
  Next
End Sub

' The contact properties this script knows: those a contact file carries.
Sub SetProperty(contact, name, value)
  Select Case LCase(name)
    Case "firstname" : contact.FirstName = value
    Case "lastname" : contact.LastName = value
    Case "middlename" : contact.MiddleName = value
    Case "title" : contact.Title = value
    Case "companyname" : contact.CompanyName = value
    Case "email1address" : contact.Email1Address = value
    Case "mobiletelephonenumber" : contact.MobileTelephoneNumber = value
    Case "homeaddressstreet" : contact.HomeAddressStreet = value
    Case "homeaddresscity" : contact.HomeAddressCity = value
    Case "homeaddressstate" : contact.HomeAddressState = value
    Case "homeaddresspostalcode" : contact.HomeAddressPostalCode = value
    Case "homeaddresscountry" : contact.HomeAddressCountry = value
    Case "hometelephonenumber" : contact.HomeTelephoneNumber = value
    Case "otheraddressstreet" : contact.OtherAddressStreet = value
    Case "otheraddresscity" : contact.OtherAddressCity = value
    Case "otheraddressstate" : contact.OtherAddressState = value
    Case "otheraddresspostalcode" : contact.OtherAddressPostalCode = value
    Case "otheraddresscountry" : contact.OtherAddressCountry = value
    Case "othertelephonenumber" : contact.OtherTelephoneNumber = value
    Case "businessaddressstreet" : contact.BusinessAddressStreet = value
    Case "businessaddresscity" : contact.BusinessAddressCity = value
    Case "businessaddressstate" : contact.BusinessAddressState = value
    Case "businessaddresspostalcode" : contact.BusinessAddressPostalCode = value
    Case "businessaddresscountry" : contact.BusinessAddressCountry = value
    Case "businesstelephonenumber" : contact.BusinessTelephoneNumber = value
    Case Else
      WScript.Echo "unknown property: " & name
      Usage
  End Select
End Sub

Sub Usage()
  WScript.Echo "usage: outlook-contacts.vbs list | show <position> | add Property=Value... |"
  WScript.Echo "       edit <EntryID> Property=Value... | delete <EntryID>"
  WScript.Quit 2
End Sub
