// A real main window, offscreen, for tests that drive it as a user would.
#pragma once

#include "formchart.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

// Reads and sets the window's chart state.
struct FormMainProbe {
    static chart::ScoreTable &ScoreHistory(TFormMain &form) { return form.ScoreHistory; }
    static int32_t &MaxScore(TFormMain &form) { return form.MaxScore; }
    static int32_t GraphHeight(TFormMain &form) { return form.GraphHeight; }
    static int32_t GraphWidth(TFormMain &form) { return form.GraphWidth; }
    static vcl::TColor &CurveColor(TFormMain &form) { return form.CurveColor; }
};

struct MessageBoxSeen {
    vcl::TMessageKind kind;
    QString text;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TFormMain &form() { return *FormMain; }
    chart::ScoreTable &history() { return FormMainProbe::ScoreHistory(*FormMain); }
    int32_t &maxScore() { return FormMainProbe::MaxScore(*FormMain); }
    vcl::TColor &curveColor() { return FormMainProbe::CurveColor(*FormMain); }
    const QImage &surface() { return FormMain->Surface(); }

    // Lets the queued repaints run, as they do between a user's actions.
    void settle();
    // Rows of column x that hold the colour, top to bottom.
    std::vector<int> rowsOfColour(int x, vcl::TColor colour);
    bool pixelIs(int x, int y, vcl::TColor colour);

    // The vertices of every LineTo drawn while `action` runs.
    template <class Action>
    std::vector<vcl::TPoint> lineVertices(Action action)
    {
        std::vector<vcl::TPoint> points;
        form().Canvas->OnTrace = [&](bool isLine, vcl::TPoint p) {
            if (isLine)
                points.push_back(p);
        };
        action();
        form().Canvas->OnTrace = nullptr;
        return points;
    }

    std::vector<MessageBoxSeen> m_boxes;
    QTemporaryDir m_home;  // an empty home: no Wine prefix, no saves
    QByteArray m_oldHome;
};
