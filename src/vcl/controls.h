// The controls a form description can hold, and the menu.
//
// Each control with a window of its own wraps a Qt widget: a panel is a plain
// widget filled with the button-face colour, a memo a QPlainTextEdit, a
// button a QPushButton, a speed button a QToolButton that never takes the
// focus. A bevel has no window: the form draws it on its own surface.
#pragma once

#include "vcl/classes.h"
#include "vcl/graphics.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace vcl {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TControl : public TComponent {
public:
    explicit TControl(TComponent *AOwner);
    ~TControl() override;

    int Left() const { return m_bounds.x(); }
    int Top() const { return m_bounds.y(); }
    int Width() const { return m_bounds.width(); }
    int Height() const { return m_bounds.height(); }
    QRect BoundsRect() const { return m_bounds; }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TAlign Align() const { return m_align; }
    int TabOrder() const { return m_tabOrder; }
    TControl *Parent() const { return m_parent; }
    const std::vector<TControl *> &Controls() const { return m_controls; }

    // The Qt widget that shows this control; null for a bevel.
    QWidget *Widget() const { return m_widget; }

    void SetProperty(const String &name, const TValue &value) override;
    void SetEvent(const String &name, TNotifyEvent handler) override;
    void InsertChild(TComponent *child) override;
    void Loaded() override;

    TNotifyEvent OnClick;  // raised by the controls that can be clicked

    // Places the aligned children in the client area: top strips first, then
    // bottom, then left, then right, then the client control. Strips of one
    // kind are stacked from the outside in, in the order they stand.
    void AlignControls();

    // Controls without a window draw themselves on their parent's surface.
    virtual void Paint(TCanvas &) {}

protected:
    // Adopts the widget that shows this control (owned by its Qt parent).
    void setWidget(QWidget *widget);
    // Where children's widgets go, and the size they are aligned in.
    virtual QWidget *clientWidget() const { return m_widget; }
    virtual QRect clientRect() const { return QRect(0, 0, Width(), Height()); }
    void applyBounds();

    int m_tabOrder = -1;

private:
    friend class TForm;
    QPointer<QWidget> m_widget;
    QRect m_bounds;
    TAlign m_align = alNone;
    TControl *m_parent = nullptr;
    std::vector<TControl *> m_controls;
};

class TPanel : public TControl {
public:
    explicit TPanel(TComponent *AOwner);
    void SetProperty(const String &name, const TValue &value) override;
};

// A sunken (or raised) frame drawn on the form's surface.
class TBevel : public TControl {
public:
    explicit TBevel(TComponent *AOwner) : TControl(AOwner) {}
    void SetProperty(const String &name, const TValue &value) override;
    void Paint(TCanvas &canvas) override;

private:
    bool m_lowered = true;
};

class TLabel : public TControl {
public:
    explicit TLabel(TComponent *AOwner);
    String Caption() const;
    // Shows the new text at once.
    void SetCaption(const String &caption);
    void SetProperty(const String &name, const TValue &value) override;

private:
    void fitWidth();
    QLabel *m_label;
    bool m_autoSize = true;
};

class TMemo : public TControl {
public:
    explicit TMemo(TComponent *AOwner);
    ~TMemo() override;
    // The whole text: the lines joined by CR LF.
    String Text() const;
    // Replaces the whole text as one edit (one OnChange).
    void SetText(const String &text);
    void SetProperty(const String &name, const TValue &value) override;
    void SetEvent(const String &name, TNotifyEvent handler) override;

    TNotifyEvent OnChange;  // after every edit: a typed character, a deletion, a paste
    TNotifyEvent OnExit;    // the focus moved to another control of the same window

private:
    QPlainTextEdit *m_edit;
    QMetaObject::Connection m_focusWatch;
};

class TButton : public TControl {
public:
    explicit TButton(TComponent *AOwner);
    void Click();
    void SetProperty(const String &name, const TValue &value) override;

private:
    QPushButton *m_button;
};

// A picture button that never takes the focus.
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent *AOwner);
    void Click();
    void SetProperty(const String &name, const TValue &value) override;
    void Loaded() override;

private:
    QToolButton *m_button;
    String m_glyph;
    int m_numGlyphs = 1;
};

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent *AOwner) : TComponent(AOwner) {}
    String Caption;
    void Click();
    void SetProperty(const String &name, const TValue &value) override;
    void SetEvent(const String &name, TNotifyEvent handler) override;
    void InsertChild(TComponent *child) override;
    const std::vector<TMenuItem *> &Items() const { return m_items; }
    TNotifyEvent OnClick;

private:
    std::vector<TMenuItem *> m_items;
};

class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent *AOwner) : TComponent(AOwner) {}
    void InsertChild(TComponent *child) override;
    const std::vector<TMenuItem *> &Items() const { return m_items; }
    // Fills a window's menu bar with the items (no item takes the focus).
    void BuildMenuBar(QMenuBar *bar);

private:
    std::vector<TMenuItem *> m_items;
};

} // namespace vcl
