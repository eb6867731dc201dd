object AboutBox: TAboutBox
  Left = 200
  Top = 108
  BorderStyle = bsDialog
  Caption = 'バージョン情報'
  ClientHeight = 187
  ClientWidth = 298
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  OldCreateOrder = True
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 12
  object Panel1: TPanel
    Left = 8
    Top = 8
    Width = 281
    Height = 137
    BevelInner = bvRaised
    BevelOuter = bvLowered
    ParentColor = True
    TabOrder = 0
    object ProgramIcon: TImage
      Left = 24
      Top = 16
      Width = 32
      Height = 32
      AutoSize = True
      Stretch = True
    end
    object ProductName: TLabel
      Left = 88
      Top = 16
      Width = 59
      Height = 12
      Caption = 'Pelmora'
    end
    object Version: TLabel
      Left = 88
      Top = 40
      Width = 63
      Height = 12
      Caption = 'Version 1.00'
    end
    object Copyright: TLabel
      Left = 48
      Top = 80
      Width = 178
      Height = 12
      Caption = 'Copyright (C) 2026 Pelmora developers'
    end
    object Comments: TLabel
      Left = 16
      Top = 112
      Width = 249
      Height = 17
      Caption = 'C++ と Win32 で書き, Wine の上で試しています.'
      WordWrap = True
    end
  end
  object OKButton: TButton
    Left = 111
    Top = 156
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
end
