// The main window: the "MaxScore:" box, the Open and Clear commands, and the
// chart of a game's running mean score against the reference curve.
#pragma once

#include "chart.h"

#include "vcl/controls.h"
#include "vcl/dialogs.h"
#include "vcl/forms.h"

#include <cstdint>

class TFormMain : public vcl::TForm {
public:
    // The components of the form description (formchart.dfm), owned by the form.
    vcl::TPanel *PanelTop = nullptr;
    vcl::TOpenDialog *OpenDialog = nullptr;
    vcl::TMainMenu *MainMenu1 = nullptr;
    vcl::TMenuItem *File1 = nullptr;
    vcl::TMenuItem *N1 = nullptr;
    vcl::TMenuItem *Exit = nullptr;
    vcl::TMenuItem *Open = nullptr;
    vcl::TPanel *PanelRight = nullptr;
    vcl::TPanel *PanelLeft = nullptr;
    vcl::TPanel *PanelBottom = nullptr;
    vcl::TPanel *PanelLeftCorner = nullptr;
    vcl::TPanel *PanelRightCorner = nullptr;
    vcl::TBevel *BevelGraph = nullptr;
    vcl::TPanel *PanelMax = nullptr;
    vcl::TPanel *Panel0 = nullptr;
    vcl::TLabel *LabelMax = nullptr;
    vcl::TLabel *LabelZero = nullptr;
    vcl::TMemo *MemoMaxScore = nullptr;
    vcl::TLabel *Label1 = nullptr;
    vcl::TPanel *PanelOpenButton = nullptr;
    vcl::TPanel *PanelTopLeft = nullptr;
    vcl::TPanel *PanelTopRight = nullptr;
    vcl::TSpeedButton *ButtonOpen = nullptr;
    vcl::TButton *ButtonClear = nullptr;

    // The handlers the description binds by name.
    void FormCreate(vcl::TObject *Sender);
    void FormPaint(vcl::TObject *Sender);
    void ExitClick(vcl::TObject *Sender);
    void OpenClick(vcl::TObject *Sender);
    void FormResize(vcl::TObject *Sender);
    void MemoMaxScoreChange(vcl::TObject *Sender);
    void ButtonClearClick(vcl::TObject *Sender);

    explicit TFormMain(vcl::TComponent *Owner);
    ~TFormMain() override;

    // The names the description may use.
    static const vcl::TFormClass<TFormMain> ClassInfo;

private:
    friend struct FormMainProbe;  // tests read the chart state

    void LocateSaveFolder(vcl::TObject *Sender);
    void LoadSave(vcl::TObject *Sender);
    void ReadScoreHistory(vcl::TObject *Sender, const uint8_t *Image, uint32_t Length);
    void DrawScoreGrid(vcl::TObject *Sender);
    void BuildReferenceCurve(vcl::TObject *Sender);

    // The chart state. It starts all zero, as a new window does: no scores,
    // no scale (nothing is plotted) and a black pen.
    chart::ScoreTable ScoreHistory{};  // slot i is entry i, 1 to 540; slot 0 unused
    int32_t GraphHeight{};             // plot height in pixels, set at every paint
    int32_t GraphWidth{};              // plot width in pixels, set at every paint
    int32_t MaxScore{};                // the score at the top of the plot
    vcl::TColor CurveColor{};          // the curve's colour, 0x00BBGGRR
};

// The one main window, set before its constructor runs.
extern TFormMain *FormMain;
