#include "formchart.h"

#include "savefile.h"
#include "scorehistory.h"

#include "vcl/registry.h"

#include <QFile>

#include <algorithm>
#include <memory>

using namespace vcl;

TFormMain *FormMain = nullptr;

const TFormClass<TFormMain> TFormMain::ClassInfo = {
    "TFormMain",
    {
        published("PanelTop", &TFormMain::PanelTop),
        published("OpenDialog", &TFormMain::OpenDialog),
        published("MainMenu1", &TFormMain::MainMenu1),
        published("File1", &TFormMain::File1),
        published("N1", &TFormMain::N1),
        published("Exit", &TFormMain::Exit),
        published("Open", &TFormMain::Open),
        published("PanelRight", &TFormMain::PanelRight),
        published("PanelLeft", &TFormMain::PanelLeft),
        published("PanelBottom", &TFormMain::PanelBottom),
        published("PanelLeftCorner", &TFormMain::PanelLeftCorner),
        published("PanelRightCorner", &TFormMain::PanelRightCorner),
        published("BevelGraph", &TFormMain::BevelGraph),
        published("PanelMax", &TFormMain::PanelMax),
        published("Panel0", &TFormMain::Panel0),
        published("LabelMax", &TFormMain::LabelMax),
        published("LabelZero", &TFormMain::LabelZero),
        published("MemoMaxScore", &TFormMain::MemoMaxScore),
        published("Label1", &TFormMain::Label1),
        published("PanelOpenButton", &TFormMain::PanelOpenButton),
        published("PanelTopLeft", &TFormMain::PanelTopLeft),
        published("PanelTopRight", &TFormMain::PanelTopRight),
        published("ButtonOpen", &TFormMain::ButtonOpen),
        published("ButtonClear", &TFormMain::ButtonClear),
    },
    {
        {"FormCreate", &TFormMain::FormCreate},
        {"FormPaint", &TFormMain::FormPaint},
        {"ExitClick", &TFormMain::ExitClick},
        {"OpenClick", &TFormMain::OpenClick},
        {"FormResize", &TFormMain::FormResize},
        {"MemoMaxScoreChange", &TFormMain::MemoMaxScoreChange},
        {"ButtonClearClick", &TFormMain::ButtonClearClick},
    },
};

TFormMain::TFormMain(TComponent *Owner) : TForm(Owner) {}

TFormMain::~TFormMain() = default;

// ---------------------------------------------------------------------------
// Start-up: the game's save folder

void TFormMain::FormCreate(TObject *Sender)
{
    LocateSaveFolder(Sender);
}

void TFormMain::LocateSaveFolder(TObject *)
{
    // The game records where it is installed; its saves live below that.
    // A game that was never installed leaves the dialog where it would be.
    const String GameKey = QStringLiteral("SOFTWARE\\Infogrames\\Civ3PTW");
    const auto Registry = std::make_unique<TRegistry>();
    Registry->RootKey = HKEY_LOCAL_MACHINE;
    if (!Registry->KeyExists(GameKey))
        return;
    try {
        if (Registry->OpenKey(GameKey, false))
            OpenDialog->InitialDir = Registry->ReadString(QStringLiteral("Install_Path")) + QStringLiteral("\\Saves");
        else
            ShowMessage(QStringLiteral("Can not open program serial key."));
        Registry->CloseKey();
    } catch (const ERegistryException &E) {
        ShowMessage(E.Message);
    }
}

// ---------------------------------------------------------------------------
// Open and Exit

void TFormMain::OpenClick(TObject *Sender)
{
    if (OpenDialog->Execute())
        LoadSave(Sender);
    // Drawn after the load: what the load painted keeps the colour before
    // the command, and the new one shows from the next paint on.
    CurveColor = chart::nextCurveColor();
}

void TFormMain::ExitClick(TObject *)
{
    Close();
}

void TFormMain::LoadSave(TObject *Sender)
{
    // A plain save is its own image; a compressed one is decoded first,
    // through a private temporary file that is gone again by now.
    const SaveImage Image = openSaveImage(QFile::encodeName(OpenDialog->FileName).toStdString());
    if (Image.looksLikeSave())
        ReadScoreHistory(Sender, Image.bytes.data(), uint32_t(Image.bytes.size()));
    // A plain save's load repaints the whole window once the command is
    // over. A compressed one draws its curve over what is shown, so the
    // earlier curve stays beside it until the next repaint.
    if (Image.form == SaveForm::Plain)
        Invalidate();
    FormPaint(Sender);
}

void TFormMain::ReadScoreHistory(TObject *, const uint8_t *Image, uint32_t Length)
{
    readScoreHistory(Image, Length, ScoreHistory);
}

// ---------------------------------------------------------------------------
// The chart

void TFormMain::FormPaint(TObject *Sender)
{
    GraphHeight = FormMain->ClientHeight() - chart::HeightMargin;
    GraphWidth = FormMain->ClientWidth() - chart::WidthMargin;
    DrawScoreGrid(Sender);

    Canvas->Pen->Color = CurveColor;
    Canvas->MoveTo(chart::PlotLeft, GraphHeight + chart::PlotTop);
    if (MaxScore <= 0)
        return;
    // One point per entry at the mean of the entries so far, from the
    // origin up to the first empty entry after the opening turns.
    chart::RunningMean Mean;
    for (int i = 1; chart::curveReaches(ScoreHistory, i); ++i) {
        const double M = Mean.add(ScoreHistory[i]);
        Canvas->LineTo(chart::entryX(GraphWidth, i), chart::meanY(M, GraphHeight, MaxScore));
    }
}

void TFormMain::DrawScoreGrid(TObject *)
{
    // One line per whole 1000 points, from the baseline up.
    const int32_t N = chart::gridLineCount(MaxScore);
    int32_t y = GraphHeight + chart::PlotTop;
    Canvas->Pen->Color = chart::Black;
    const int32_t D = MaxScore > 0 ? chart::gridSpacing(GraphHeight, MaxScore) : 0;
    // A spacing of 0 puts every line on the baseline, up to two million of
    // them for a huge MaxScore: one shows the same.
    const int32_t Lines = D == 0 ? std::min(N, 1) : N;
    for (int32_t k = 0; k < Lines; ++k) {
        Canvas->MoveTo(0, y);
        Canvas->LineTo(FormMain->ClientWidth(), y);
        y -= D;
    }
}

void TFormMain::FormResize(TObject *Sender)
{
    Invalidate();
    FormPaint(Sender);
}

// ---------------------------------------------------------------------------
// The maximum score, the reference curve and Clear

void TFormMain::MemoMaxScoreChange(TObject *Sender)
{
    MaxScore = chart::readMaxScore(MemoMaxScore->Text().toStdString());
    LabelMax->SetCaption(QString::number(MaxScore));
    Invalidate();
    BuildReferenceCurve(Sender);
    CurveColor = chart::nextCurveColor();
    FormPaint(Sender);
}

void TFormMain::ButtonClearClick(TObject *Sender)
{
    Invalidate();
    BuildReferenceCurve(Sender);
    LabelMax->SetCaption(QString());
}

void TFormMain::BuildReferenceCurve(TObject *)
{
    CurveColor = chart::White;
    if (MaxScore <= 0)
        return;
    chart::fillReferenceCurve(MaxScore, ScoreHistory);
}
