// The layer's forms: creation from a description, binding by name, what a
// broken description does, and the canvas's lines.
#include "vcl/dialogs.h"
#include "vcl/forms.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vcl;

namespace {

class TProbeForm;
TProbeForm *ProbeForm = nullptr;

class TProbeForm : public TForm {
public:
    explicit TProbeForm(TComponent *Owner) : TForm(Owner), SeenAtConstruction(ProbeForm)
    {
        if (ThrowInConstructor)
            throw Exception(QStringLiteral("constructor failed"));
    }

    TPanel *Strip = nullptr;
    TButton *Button = nullptr;
    TProbeForm *SeenAtConstruction;
    int Clicks = 0;
    int Creates = 0;

    void ButtonClick(TObject *) { ++Clicks; }
    void FormCreate(TObject *) { ++Creates; }

    static inline bool ThrowInConstructor = false;
    static const TFormClass<TProbeForm> ClassInfo;
};

const TFormClass<TProbeForm> TProbeForm::ClassInfo = {
    "TProbeForm",
    {published("Strip", &TProbeForm::Strip), published("Button", &TProbeForm::Button)},
    {{"ButtonClick", &TProbeForm::ButtonClick}, {"FormCreate", &TProbeForm::FormCreate}},
};

const char *const GoodDescription = R"(object ProbeForm: TProbeForm
  Caption = 'It''s a probe'#33
  ClientWidth = 300
  ClientHeight = 200
  OnCreate = FormCreate
  object Strip: TPanel
    Left = 0
    Top = 0
    Width = 300
    Height = 30
    Align = alTop
    BevelOuter = bvNone
    object Button: TButton
      Left = 10
      Top = 2
      Width = 60
      Height = 25
      Caption = 'Go'
      OnClick = ButtonClick
    end
  end
end
)";

class Forms : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application->Initialize();
        m_folder = Application->DescriptionFolder;
        Application->DescriptionFolder = m_dir.path();
        SetMessageBoxHook([this](TMessageKind, const QString &, const QString &text) { m_boxes << text; });
    }
    void TearDown() override
    {
        delete ProbeForm;
        ProbeForm = nullptr;
        TProbeForm::ThrowInConstructor = false;
        Application->DescriptionFolder = m_folder;
        SetMessageBoxHook(nullptr);
    }
    void describe(const QByteArray &text)
    {
        QFile file(m_dir.filePath(QStringLiteral("TProbeForm.dfm")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QStringList m_boxes;
};

} // namespace

TEST_F(Forms, CreationReadsTheDescriptionAndBindsByName)
{
    describe(GoodDescription);
    Application->CreateForm(ProbeForm);
    ASSERT_NE(ProbeForm, nullptr);
    EXPECT_EQ(ProbeForm->SeenAtConstruction, ProbeForm) << "the reference is set before the constructor runs";
    EXPECT_EQ(ProbeForm->Caption(), "It's a probe!");
    EXPECT_EQ(ProbeForm->ClientWidth(), 300);
    EXPECT_EQ(ProbeForm->ClientHeight(), 200);
    EXPECT_EQ(ProbeForm->Creates, 1);
    ASSERT_NE(ProbeForm->Button, nullptr);
    EXPECT_EQ(ProbeForm->Button->Parent(), ProbeForm->Strip);
    ProbeForm->Button->Click();
    EXPECT_EQ(ProbeForm->Clicks, 1);
    EXPECT_EQ(ProbeForm->Strip->BoundsRect(), QRect(0, 0, 300, 30));
}

TEST_F(Forms, AConstructorThatThrowsLeavesTheReferenceNull)
{
    describe(GoodDescription);
    TProbeForm::ThrowInConstructor = true;
    EXPECT_THROW(Application->CreateForm(ProbeForm), Exception);
    EXPECT_EQ(ProbeForm, nullptr);
}

TEST_F(Forms, ABrokenDescriptionFailsCreationWithItsReason)
{
    struct Case {
        const char *name;
        QByteArray text;
        const char *reason;
    } cases[] = {
        {"unknown handler", QByteArray(GoodDescription).replace("ButtonClick", "Nope"), "Method Nope not found"},
        {"unknown class", QByteArray(GoodDescription).replace("TButton", "TGizmo"), "Class TGizmo not found"},
        {"unknown property", QByteArray(GoodDescription).replace("BevelOuter", "Bevel"), "Property Bevel does not exist"},
        {"no matching field", QByteArray(GoodDescription).replace("object Strip:", "object Stripe:"), "Field Stripe not found"},
        {"another class", QByteArray(GoodDescription).replace("ProbeForm: TProbeForm", "ProbeForm: TOther"), "not TProbeForm"},
        {"cut short", QByteArray(GoodDescription).left(200), "line"},
        {"unterminated text", QByteArray(GoodDescription).replace("'Go'", "'Go"), "unterminated text"},
    };
    for (const Case &c : cases) {
        describe(c.text);
        try {
            Application->CreateForm(ProbeForm);
            ADD_FAILURE() << c.name << ": created";
        } catch (const EReadError &error) {
            EXPECT_TRUE(error.Message.contains(QLatin1String(c.reason))) << c.name << ": " << qPrintable(error.Message);
        }
        EXPECT_EQ(ProbeForm, nullptr) << c.name;
    }
}

TEST_F(Forms, TheErrorBoxAddsAFullStop)
{
    Application->ShowException(Exception(QStringLiteral("Resource TX not found")));
    Application->ShowException(Exception(QStringLiteral("Already a sentence.")));
    EXPECT_EQ(m_boxes, (QStringList{"Resource TX not found.", "Already a sentence."}));
}

TEST(Canvas, LinesLeaveOutTheirEndPointAndStayOnTheSurface)
{
    QImage surface(10, 10, QImage::Format_RGB32);
    const auto count = [&] {
        int n = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                n += (surface.pixel(x, y) & 0xFFFFFF) == 0xFF0000;  // 0x0000FF as BGR is red
        return n;
    };
    struct Case {
        const char *name;
        TPoint from, to;
        int pixels;
    } cases[] = {
        {"horizontal", {0, 5}, {9, 5}, 9},
        {"leftwards", {9, 5}, {0, 5}, 9},
        {"vertical", {3, 0}, {3, 9}, 9},
        {"diagonal", {0, 0}, {9, 9}, 9},
        {"shallow", {0, 0}, {9, 3}, 9},
        {"steep from far off", {-2000000000, -2000000000}, {5, 5}, 5},
        {"far off both ends", {-2000000000, 5}, {2000000000, 5}, 10},
        {"outside altogether", {20, 20}, {40, 30}, 0},
        {"a point", {4, 4}, {4, 4}, 0},
    };
    for (const Case &c : cases) {
        surface.fill(Qt::white);
        TCanvas canvas(&surface);
        canvas.Pen->Color = 0x0000FF;
        canvas.MoveTo(c.from.X, c.from.Y);
        canvas.LineTo(c.to.X, c.to.Y);
        EXPECT_EQ(count(), c.pixels) << c.name;
        EXPECT_EQ(canvas.PenPos(), c.to) << c.name;
    }
}

TEST(Canvas, ASteepLineHitsTheRoundedColumnOfEveryRow)
{
    QImage surface(20, 20, QImage::Format_RGB32);
    surface.fill(Qt::white);
    TCanvas canvas(&surface);
    canvas.Pen->Color = 0;
    canvas.MoveTo(2, 0);
    canvas.LineTo(6, 16);  // x = 2 + y / 4, halves rounded away from the start
    for (int y = 0; y < 16; ++y) {
        const int x = 2 + (2 * y * 4 + 16) / 32;
        EXPECT_EQ(surface.pixel(x, y) & 0xFFFFFF, 0u) << "row " << y;
    }
    // From a start far above the surface, the same line lands on the same pixels.
    QImage far(20, 20, QImage::Format_RGB32);
    far.fill(Qt::white);
    TCanvas farCanvas(&far);
    farCanvas.Pen->Color = 0;
    farCanvas.MoveTo(2 - 1000000, -4000000);
    farCanvas.LineTo(6, 16);
    int drawn = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            drawn += (far.pixel(x, y) & 0xFFFFFF) == 0;
    EXPECT_EQ(drawn, 16);
}
