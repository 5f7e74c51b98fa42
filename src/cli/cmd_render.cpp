// vantorel-cli render: the picture the window shows after a maximum score is
// typed and saves are opened, written as a PNG without a display.
#include "commands.h"

#include "formchart.h"
#include "savefile.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <memory>

namespace cli {

namespace {

// Past this the picture would take more memory than any screen calls for.
constexpr int MaxSide = 8192;

bool parseSize(const QString &text, QSize &size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    return size.width() >= 1 && size.height() >= 1 && size.width() <= MaxSide && size.height() <= MaxSide;
}

// The window, made offscreen and never shown, for the length of one command.
class HiddenWindow {
public:
    HiddenWindow()
    {
        // A message of the save folder lookup has nobody to read it here.
        vcl::SetMessageBoxHook([](vcl::TMessageKind, const QString &, const QString &text) {
            reportFailure(QStringLiteral("registry"), text);
        });
        vcl::Application->Initialize();
        vcl::Application->CreateForm(FormMain);
        settle();
    }
    ~HiddenWindow()
    {
        delete FormMain;
        FormMain = nullptr;
        vcl::TOpenDialog::ExecuteHook = nullptr;
        vcl::SetMessageBoxHook(nullptr);
    }
    HiddenWindow(const HiddenWindow &) = delete;
    HiddenWindow &operator=(const HiddenWindow &) = delete;

    // The repaints that an action queued run before the next one, as they
    // do between a user's actions.
    static void settle() { vcl::Application->ProcessMessages(); }
};

} // namespace

int runRender(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws what the Vantorel window shows after typing N into the MaxScore box and opening "
        "each SAVE in turn, and writes the window's client area as a PNG. Pixel (x, y) of the "
        "picture is pixel (x, y) of the client area. As in the window, a compressed save's "
        "curve is drawn over the picture already shown, so later saves overlay earlier ones."));
    const QCommandLineOption maxOption(QStringLiteral("max"),
                                       QStringLiteral("the text typed into the MaxScore box"),
                                       QStringLiteral("N"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("the client area's size (default 540x540)"),
                                        QStringLiteral("WxH"), QStringLiteral("540x540"));
    const QCommandLineOption outputOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("the PNG file to write (default chart.png)"),
                                          QStringLiteral("FILE"), QStringLiteral("chart.png"));
    parser.addOptions({maxOption, sizeOption, outputOption});
    parser.addPositionalArgument(QStringLiteral("SAVE"), QStringLiteral("saved games to open, in order"),
                                 QStringLiteral("[SAVE...]"));
    if (auto exitCode = parseArguments(parser, arguments, 0, -1))
        return *exitCode;

    QSize size;
    if (!parseSize(parser.value(sizeOption), size)) {
        std::fprintf(stderr, "vantorel-cli: --size takes WIDTHxHEIGHT, each from 1 to %d\n", MaxSide);
        return ExitUsage;
    }
    // Every save is checked before anything is drawn, so a bad one leaves
    // no picture behind.
    const QStringList saves = parser.positionalArguments();
    for (const QString &save : saves) {
        const SaveImage image = openSaveImage(QFile::encodeName(save).toStdString());
        if (image.form == SaveForm::Unreadable) {
            reportFailure(save, QString::fromStdString(image.error));
            return ExitBadInput;
        }
    }

    HiddenWindow window;
    if (size != QSize(FormMain->ClientWidth(), FormMain->ClientHeight())) {
        FormMain->SetClientSize(size.width(), size.height());
        window.settle();
    }
    if (parser.isSet(maxOption)) {
        FormMain->MemoMaxScore->SetText(parser.value(maxOption));
        window.settle();
    }
    for (const QString &save : saves) {
        vcl::TOpenDialog::ExecuteHook = [&save](const vcl::TOpenDialog &) { return save; };
        FormMain->Open->Click();
        window.settle();
    }

    const QString output = parser.value(outputOption);
    if (!FormMain->ClientImage().save(output, "PNG")) {
        QFile::remove(output);
        reportFailure(output, QStringLiteral("cannot write the picture"));
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace cli
