object PelmoraFm: TPelmoraFm
  Left = 279
  Top = 125
  Width = 394
  Height = 292
  HorzScrollBar.Visible = False
  VertScrollBar.Visible = False
  Caption = 'Pelmora'
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  Menu = MainMenu1
  OldCreateOrder = False
  Position = poDefault
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object IconListView: TListView
    Left = 0
    Top = 0
    Width = 386
    Height = 246
    Align = alClient
    Columns = <>
    HotTrackStyles = []
    IconOptions.AutoArrange = True
    LargeImages = IconImageList
    ReadOnly = True
    PopupMenu = PopupMenu
    TabOrder = 0
    OnMouseUp = IconListViewMouseUp
  end
  object PopupMenu: TPopupMenu
    AutoPopup = False
    object IconSaveToFile: TMenuItem
      Caption = '保存(&S)'
      ShortCut = 16467
      OnClick = IconSaveToFileClick
    end
    object Copy: TMenuItem
      Caption = 'コピー(&C)'
      ShortCut = 16451
      OnClick = CopyClick
    end
  end
  object IconImageList: TImageList
    Height = 32
    Width = 32
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = 'ファイル(&F)'
      object FileOpen: TMenuItem
        Caption = '開く(&O)'
        ShortCut = 16463
        OnClick = FileOpenClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object SaveAll: TMenuItem
        Caption = 'すべて保存(S)'
        ShortCut = 123
        OnClick = SaveAllClick
      end
    end
    object SetSize: TMenuItem
      Caption = 'サイズ指定(&S)'
      OnClick = SetSizeClick
    end
    object About: TMenuItem
      Caption = 'バージョン情報(&A)'
      OnClick = AboutClick
    end
    object Exit: TMenuItem
      Caption = '終了(&Q)'
      OnClick = ExitClick
    end
  end
  object OpenFileDialog: TOpenDialog
    Filter = 
      'アイコンファイル(*.exe;*.dll;*.ico)|*.exe;*.dll;*.ico|実行可能ファイル(*.exe;*.dll)|' +
      '*.exe;*.dll|実行ファイル(*.exe)|*.exe|ダイナミックリンクライブラリ(*.dll)|*.dll|' +
      'アイコンファイル(*.ico)|*.ico|コントロールパネル(*.cpl)|*.cpl|スクリーンセーバー(*.scr)|' +
      '*.scr|コンポーネント(*.ocx;*.bpl)|*.ocx;*.bpl|全てのファイル(*.*)|*.*'
    Title = 'アイコンが含まれているファイルを開く'
  end
  object FileDrop1: TFileDrop
    Active = True
    Control = IconListView
    OnDropFiles = FileDrop1DropFiles
  end
  object SaveIconFileDialog: TSavePictureDialog
    DefaultExt = '*.ico'
    Filter = 'アイコン (*.ico)|*.ico'
    Title = 'アイコンファイルとして保存'
  end
end
