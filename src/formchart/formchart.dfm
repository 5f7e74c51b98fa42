object FormMain: TFormMain
  Left = 191
  Top = 141
  BorderStyle = bsSingle
  Caption = 'Vantorel v.01'
  ClientHeight = 540
  ClientWidth = 540
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  HorzScrollBar.Increment = 1
  HorzScrollBar.Visible = False
  VertScrollBar.Increment = 1
  VertScrollBar.Visible = False
  Menu = MainMenu1
  PixelsPerInch = 96
  TextHeight = 13
  OnCreate = FormCreate
  OnPaint = FormPaint
  OnResize = FormResize
  object BevelGraph: TBevel
    Left = 41
    Top = 41
    Width = 458
    Height = 458
    Align = alClient
  end
  object PanelTop: TPanel
    Left = 0
    Top = 0
    Width = 540
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object Label1: TLabel
      Left = 40
      Top = 14
      Width = 51
      Height = 13
      Caption = 'MaxScore:'
    end
    object MemoMaxScore: TMemo
      Left = 96
      Top = 12
      Width = 57
      Height = 17
      Alignment = taRightJustify
      TabOrder = 0
      OnChange = MemoMaxScoreChange
      OnExit = MemoMaxScoreChange
    end
    object PanelOpenButton: TPanel
      Left = 458
      Top = 0
      Width = 41
      Height = 41
      Align = alRight
      BevelOuter = bvNone
      TabOrder = 1
      object ButtonOpen: TSpeedButton
        Left = 16
        Top = 8
        Width = 25
        Height = 25
        Glyph = ':/formchart/open-glyph.bmp'
        NumGlyphs = 2
        OnClick = OpenClick
      end
    end
    object PanelTopLeft: TPanel
      Left = 0
      Top = 0
      Width = 41
      Height = 41
      Align = alLeft
      BevelOuter = bvNone
      TabOrder = 2
    end
    object PanelTopRight: TPanel
      Left = 499
      Top = 0
      Width = 41
      Height = 41
      Align = alRight
      BevelOuter = bvNone
      TabOrder = 3
    end
    object ButtonClear: TButton
      Left = 224
      Top = 8
      Width = 75
      Height = 25
      Caption = 'Clear'
      TabOrder = 4
      OnClick = ButtonClearClick
    end
  end
  object PanelRight: TPanel
    Left = 499
    Top = 41
    Width = 41
    Height = 458
    Align = alRight
    BevelOuter = bvNone
    TabOrder = 1
  end
  object PanelLeft: TPanel
    Left = 0
    Top = 41
    Width = 41
    Height = 458
    Align = alLeft
    BevelOuter = bvNone
    TabOrder = 2
    object PanelMax: TPanel
      Left = 0
      Top = 0
      Width = 41
      Height = 41
      Align = alTop
      BevelOuter = bvNone
      TabOrder = 0
      object LabelMax: TLabel
        Left = 0
        Top = 0
        Width = 41
        Height = 13
        Align = alTop
        Alignment = taCenter
      end
    end
    object Panel0: TPanel
      Left = 0
      Top = 417
      Width = 41
      Height = 41
      Align = alBottom
      BevelOuter = bvNone
      TabOrder = 1
      object LabelZero: TLabel
        Left = 0
        Top = 29
        Width = 41
        Height = 12
        Align = alBottom
        Alignment = taCenter
        Caption = '0'
      end
    end
  end
  object PanelBottom: TPanel
    Left = 0
    Top = 499
    Width = 540
    Height = 41
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 3
    object PanelLeftCorner: TPanel
      Left = 0
      Top = 0
      Width = 40
      Height = 41
      Align = alLeft
      BevelOuter = bvNone
      TabOrder = 0
    end
    object PanelRightCorner: TPanel
      Left = 499
      Top = 0
      Width = 41
      Height = 41
      Align = alRight
      BevelOuter = bvNone
      TabOrder = 1
    end
  end
  object OpenDialog: TOpenDialog
    Filter = 'Civ III Save (.SAV)|*.SAV'
    Left = 8
    Top = 8
  end
  object MainMenu1: TMainMenu
    Left = 8
    Top = 40
    object File1: TMenuItem
      Caption = 'File'
      object Open: TMenuItem
        Caption = 'Open Civ III Save'
        OnClick = OpenClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Exit: TMenuItem
        Caption = 'Exit'
        OnClick = ExitClick
      end
    end
  end
end
