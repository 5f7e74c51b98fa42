#include "window_fixture.h"

#include <QCoreApplication>

void WindowTest::SetUp()
{
    m_oldHome = qgetenv("HOME");
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("WINEPREFIX");
    vcl::SetMessageBoxHook([this](vcl::TMessageKind kind, const QString &, const QString &text) {
        m_boxes.push_back({kind, text});
    });
    vcl::Application->Initialize();
    vcl::Application->CreateForm(FormMain);
    ASSERT_NE(FormMain, nullptr);
    settle();
}

void WindowTest::TearDown()
{
    delete FormMain;
    FormMain = nullptr;
    vcl::SetMessageBoxHook(nullptr);
    vcl::TOpenDialog::ExecuteHook = nullptr;
    qputenv("HOME", m_oldHome);
}

void WindowTest::settle()
{
    vcl::Application->ProcessMessages();
}

std::vector<int> WindowTest::rowsOfColour(int x, vcl::TColor colour)
{
    std::vector<int> rows;
    for (int y = 0; y < surface().height(); ++y)
        if (pixelIs(x, y, colour))
            rows.push_back(y);
    return rows;
}

bool WindowTest::pixelIs(int x, int y, vcl::TColor colour)
{
    return (surface().pixel(x, y) & 0xFFFFFF) == (vcl::toQRgb(colour) & 0xFFFFFF);
}
