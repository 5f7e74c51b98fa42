#include "vcl/controls.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextOption>
#include <QToolButton>

#include <algorithm>

namespace vcl {

namespace {

TAlign alignFromIdent(const String &ident)
{
    static const std::pair<const char *, TAlign> names[] = {
        {"alNone", alNone}, {"alTop", alTop},     {"alBottom", alBottom},
        {"alLeft", alLeft}, {"alRight", alRight}, {"alClient", alClient},
    };
    for (const auto &[name, align] : names)
        if (ident == QLatin1String(name))
            return align;
    throw EReadError(QStringLiteral("Invalid property value %1").arg(ident));
}

Qt::Alignment qtAlignment(const String &ident)
{
    if (ident == QLatin1String("taLeftJustify"))
        return Qt::AlignLeft;
    if (ident == QLatin1String("taRightJustify"))
        return Qt::AlignRight;
    if (ident == QLatin1String("taCenter"))
        return Qt::AlignHCenter;
    throw EReadError(QStringLiteral("Invalid property value %1").arg(ident));
}

} // namespace

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent *AOwner) : TComponent(AOwner) {}

TControl::~TControl()
{
    if (m_parent) {
        auto &siblings = m_parent->m_controls;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    delete m_widget.data();
}

void TControl::setWidget(QWidget *widget)
{
    m_widget = widget;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const QSize oldSize = m_bounds.size();
    m_bounds = QRect(ALeft, ATop, std::max(AWidth, 0), std::max(AHeight, 0));
    applyBounds();
    // Done here rather than on Qt's resize event, which a hidden window
    // only receives when it is shown.
    if (m_bounds.size() != oldSize)
        AlignControls();
}

void TControl::applyBounds()
{
    if (m_widget)
        m_widget->setGeometry(m_bounds);
}

void TControl::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Left"))
        m_bounds.moveLeft(value.toInt());
    else if (name == QLatin1String("Top"))
        m_bounds.moveTop(value.toInt());
    else if (name == QLatin1String("Width"))
        m_bounds.setWidth(value.toInt());
    else if (name == QLatin1String("Height"))
        m_bounds.setHeight(value.toInt());
    else if (name == QLatin1String("Align"))
        m_align = alignFromIdent(value.toIdent());
    else if (name == QLatin1String("TabOrder"))
        m_tabOrder = value.toInt();
    else
        unknownProperty(name);
    applyBounds();
}

void TControl::SetEvent(const String &name, TNotifyEvent handler)
{
    if (name == QLatin1String("OnClick"))
        OnClick = std::move(handler);
    else
        TComponent::SetEvent(name, std::move(handler));
}

void TControl::InsertChild(TComponent *child)
{
    auto *control = dynamic_cast<TControl *>(child);
    if (!control || !clientWidget())
        TComponent::InsertChild(child);
    control->m_parent = this;
    m_controls.push_back(control);
    if (control->m_widget)
        control->m_widget->setParent(clientWidget());
}

void TControl::Loaded()
{
    applyBounds();
    AlignControls();
}

void TControl::AlignControls()
{
    QRect rest = clientRect();
    const auto placeAll = [&](TAlign align, auto before, auto place) {
        std::vector<TControl *> strip;
        for (TControl *control : m_controls)
            if (control->m_align == align)
                strip.push_back(control);
        std::stable_sort(strip.begin(), strip.end(), before);
        for (TControl *control : strip)
            place(control);
    };
    placeAll(alTop, [](TControl *a, TControl *b) { return a->Top() < b->Top(); },
             [&](TControl *c) {
                 c->SetBounds(rest.left(), rest.top(), rest.width(), c->Height());
                 rest.setTop(rest.top() + c->Height());
             });
    placeAll(alBottom, [](TControl *a, TControl *b) { return a->Top() > b->Top(); },
             [&](TControl *c) {
                 c->SetBounds(rest.left(), rest.bottom() + 1 - c->Height(), rest.width(), c->Height());
                 rest.setBottom(rest.bottom() - c->Height());
             });
    placeAll(alLeft, [](TControl *a, TControl *b) { return a->Left() < b->Left(); },
             [&](TControl *c) {
                 c->SetBounds(rest.left(), rest.top(), c->Width(), rest.height());
                 rest.setLeft(rest.left() + c->Width());
             });
    placeAll(alRight, [](TControl *a, TControl *b) { return a->Left() > b->Left(); },
             [&](TControl *c) {
                 c->SetBounds(rest.right() + 1 - c->Width(), rest.top(), c->Width(), rest.height());
                 rest.setRight(rest.right() - c->Width());
             });
    placeAll(alClient, [](TControl *, TControl *) { return false; },
             [&](TControl *c) { c->SetBounds(rest.left(), rest.top(), rest.width(), rest.height()); });
}

// ---------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent *AOwner) : TControl(AOwner)
{
    auto *frame = new QFrame;
    frame->setAutoFillBackground(true);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(1);
    setWidget(frame);
}

void TPanel::SetProperty(const String &name, const TValue &value)
{
    auto *frame = static_cast<QFrame *>(Widget());
    if (name == QLatin1String("BevelOuter")) {
        const String &bevel = value.toIdent();
        if (bevel == QLatin1String("bvNone"))
            frame->setFrameStyle(QFrame::NoFrame);
        else if (bevel == QLatin1String("bvRaised"))
            frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        else if (bevel == QLatin1String("bvLowered"))
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        else
            throw EReadError(QStringLiteral("Invalid property value %1").arg(bevel));
    } else {
        TControl::SetProperty(name, value);
    }
}

// ---------------------------------------------------------------------------
// TBevel

void TBevel::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Style"))
        m_lowered = value.toIdent() != QLatin1String("bsRaised");
    else if (name == QLatin1String("Shape") && value.toIdent() == QLatin1String("bsBox"))
        return;
    else
        TControl::SetProperty(name, value);
}

void TBevel::Paint(TCanvas &canvas)
{
    // A box: shadow on the top and left edges and light on the bottom and
    // right ones looks sunken; swapped, raised.
    const TColor topLeft = m_lowered ? clBtnShadow() : clBtnHighlight();
    const TColor bottomRight = m_lowered ? clBtnHighlight() : clBtnShadow();
    const int right = Left() + Width() - 1;
    const int bottom = Top() + Height() - 1;
    canvas.Pen->Color = topLeft;
    canvas.MoveTo(Left(), bottom);
    canvas.LineTo(Left(), Top());
    canvas.LineTo(right, Top());
    canvas.Pen->Color = bottomRight;
    canvas.MoveTo(right, Top());
    canvas.LineTo(right, bottom);
    canvas.LineTo(Left() - 1, bottom);
}

// ---------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent *AOwner) : TControl(AOwner), m_label(new QLabel)
{
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFocusPolicy(Qt::NoFocus);
    setWidget(m_label);
}

String TLabel::Caption() const
{
    return m_label->text();
}

void TLabel::SetCaption(const String &caption)
{
    m_label->setText(caption);
    fitWidth();
}

void TLabel::fitWidth()
{
    // An auto-sized label that stands free grows to its text; one aligned to
    // an edge keeps the width of its strip.
    if (m_autoSize && Align() == alNone) {
        const int width = m_label->fontMetrics().horizontalAdvance(m_label->text());
        SetBounds(Left(), Top(), width, Height());
    }
}

void TLabel::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Caption"))
        SetCaption(value.toText());
    else if (name == QLatin1String("Alignment"))
        m_label->setAlignment(qtAlignment(value.toIdent()) | Qt::AlignTop);
    else if (name == QLatin1String("AutoSize"))
        m_autoSize = value.toIdent() == QLatin1String("True");
    else
        TControl::SetProperty(name, value);
}

// ---------------------------------------------------------------------------
// TMemo

TMemo::TMemo(TComponent *AOwner) : TControl(AOwner), m_edit(new QPlainTextEdit)
{
    m_edit->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit->setTabChangesFocus(true);
    m_edit->document()->setDocumentMargin(1);
    m_edit->setContextMenuPolicy(Qt::DefaultContextMenu);
    setWidget(m_edit);

    QObject::connect(m_edit, &QPlainTextEdit::textChanged, m_edit, [this] { fire(OnChange, this); });
    // The memo is left when the focus goes to another control of its own
    // window. A dialog or another application taking the focus is not a
    // change of control: the focus comes back here when they close.
    m_focusWatch = QObject::connect(qApp, &QApplication::focusChanged, m_edit, [this](QWidget *old, QWidget *now) {
        if (old == m_edit && now && now->window() == m_edit->window())
            fire(OnExit, this);
    });
}

TMemo::~TMemo()
{
    // The edit goes after this object, and losing the focus on its way out
    // is no edit of the user's: nothing may reach the handlers any more.
    QObject::disconnect(m_focusWatch);
    m_edit->blockSignals(true);
}

String TMemo::Text() const
{
    return m_edit->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void TMemo::SetText(const String &text)
{
    String plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    {
        const QSignalBlocker blocker(m_edit);
        m_edit->setPlainText(plain);
    }
    fire(OnChange, this);
}

void TMemo::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Alignment")) {
        QTextOption option = m_edit->document()->defaultTextOption();
        option.setAlignment(qtAlignment(value.toIdent()));
        const QSignalBlocker blocker(m_edit);
        m_edit->document()->setDefaultTextOption(option);
    } else {
        TControl::SetProperty(name, value);
    }
}

void TMemo::SetEvent(const String &name, TNotifyEvent handler)
{
    if (name == QLatin1String("OnChange"))
        OnChange = std::move(handler);
    else if (name == QLatin1String("OnExit"))
        OnExit = std::move(handler);
    else
        TControl::SetEvent(name, std::move(handler));
}

// ---------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent *AOwner) : TControl(AOwner), m_button(new QPushButton)
{
    m_button->setFocusPolicy(Qt::StrongFocus);
    m_button->setAutoDefault(false);
    setWidget(m_button);
    QObject::connect(m_button, &QPushButton::clicked, m_button, [this] { fire(OnClick, this); });
}

void TButton::Click()
{
    m_button->click();
}

void TButton::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Caption"))
        m_button->setText(value.toText());
    else
        TControl::SetProperty(name, value);
}

// ---------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton(TComponent *AOwner) : TControl(AOwner), m_button(new QToolButton)
{
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    setWidget(m_button);
    QObject::connect(m_button, &QToolButton::clicked, m_button, [this] { fire(OnClick, this); });
}

void TSpeedButton::Click()
{
    m_button->click();
}

void TSpeedButton::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Glyph"))
        m_glyph = value.toText();
    else if (name == QLatin1String("NumGlyphs"))
        m_numGlyphs = std::max(1, value.toInt());
    else
        TControl::SetProperty(name, value);
}

void TSpeedButton::Loaded()
{
    TControl::Loaded();
    if (m_glyph.isEmpty())
        return;
    // The glyph holds NumGlyphs faces side by side; the first is the normal
    // one. The colour of the bottom-left pixel stands for transparent.
    const QImage strip(m_glyph);
    if (strip.isNull())
        throw EReadError(QStringLiteral("Cannot read the glyph %1").arg(m_glyph));
    QImage face = strip.copy(0, 0, strip.width() / m_numGlyphs, strip.height())
                      .convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = face.pixel(0, face.height() - 1);
    for (int y = 0; y < face.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(face.scanLine(y));
        for (int x = 0; x < face.width(); ++x)
            if (row[x] == transparent)
                row[x] = qRgba(0, 0, 0, 0);
    }
    m_button->setIcon(QIcon(QPixmap::fromImage(face)));
    m_button->setIconSize(face.size());
}

// ---------------------------------------------------------------------------
// Menus

void TMenuItem::Click()
{
    fire(OnClick, this);
}

void TMenuItem::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Caption"))
        Caption = value.toText();
    else if (name == QLatin1String("ShortCut"))
        value.toInt();  // no item of ours has one
    else
        TComponent::SetProperty(name, value);
}

void TMenuItem::SetEvent(const String &name, TNotifyEvent handler)
{
    if (name == QLatin1String("OnClick"))
        OnClick = std::move(handler);
    else
        TComponent::SetEvent(name, std::move(handler));
}

void TMenuItem::InsertChild(TComponent *child)
{
    auto *item = dynamic_cast<TMenuItem *>(child);
    if (!item)
        TComponent::InsertChild(child);
    m_items.push_back(item);
}

void TMainMenu::InsertChild(TComponent *child)
{
    auto *item = dynamic_cast<TMenuItem *>(child);
    if (!item)
        TComponent::InsertChild(child);
    m_items.push_back(item);
}

namespace {

void addItems(QMenu *menu, const std::vector<TMenuItem *> &items)
{
    for (TMenuItem *item : items) {
        if (item->Caption == QLatin1String("-")) {
            menu->addSeparator();
        } else if (!item->Items().empty()) {
            addItems(menu->addMenu(item->Caption), item->Items());
        } else {
            QAction *action = menu->addAction(item->Caption);
            action->setObjectName(item->Name);
            QObject::connect(action, &QAction::triggered, menu, [item] { item->Click(); });
        }
    }
}

} // namespace

void TMainMenu::BuildMenuBar(QMenuBar *bar)
{
    bar->clear();
    for (TMenuItem *item : m_items) {
        if (item->Items().empty()) {
            QAction *action = bar->addAction(item->Caption);
            action->setObjectName(item->Name);
            QObject::connect(action, &QAction::triggered, bar, [item] { item->Click(); });
        } else {
            QMenu *menu = bar->addMenu(item->Caption);
            menu->setObjectName(item->Name);
            addItems(menu, item->Items());
        }
    }
}

} // namespace vcl
