#include "vcl/forms.h"

#include "vcl/dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

namespace vcl {

namespace {

TApplication theApplication;

// Component classes a form description may name.
void registerStandardClasses()
{
    static const bool registered = [] {
        RegisterClass(QStringLiteral("TPanel"), [](TComponent *o) { return new TPanel(o); });
        RegisterClass(QStringLiteral("TBevel"), [](TComponent *o) { return new TBevel(o); });
        RegisterClass(QStringLiteral("TLabel"), [](TComponent *o) { return new TLabel(o); });
        RegisterClass(QStringLiteral("TMemo"), [](TComponent *o) { return new TMemo(o); });
        RegisterClass(QStringLiteral("TButton"), [](TComponent *o) { return new TButton(o); });
        RegisterClass(QStringLiteral("TSpeedButton"), [](TComponent *o) { return new TSpeedButton(o); });
        RegisterClass(QStringLiteral("TMainMenu"), [](TComponent *o) { return new TMainMenu(o); });
        RegisterClass(QStringLiteral("TMenuItem"), [](TComponent *o) { return new TMenuItem(o); });
        RegisterClass(QStringLiteral("TOpenDialog"), [](TComponent *o) { return new TOpenDialog(o); });
        return true;
    }();
    (void)registered;
}

} // namespace

TApplication *Application = &theApplication;

// ---------------------------------------------------------------------------
// The form's window: a menu bar over the client area.

class FormWindow : public QWidget {
public:
    explicit FormWindow(TForm *form)
        : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                               | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
          m_form(form), m_menuBar(new QMenuBar(this))
    {
        m_menuBar->hide();
    }

    QMenuBar *menuBar() const { return m_menuBar; }
    int menuHeight() const { return m_menuBar->isHidden() ? 0 : m_menuBar->heightForWidth(width()); }

    void setClientSize(QSize size)
    {
        m_normalSize = QSize(size.width(), size.height() + m_menuBar->heightForWidth(size.width()));
        if (m_menuBar->isHidden())
            m_normalSize = size;
        resize(m_normalSize);
        layoutChildren();
    }

    void layoutChildren();

protected:
    void resizeEvent(QResizeEvent *) override
    {
        layoutChildren();
        // A single, fixed border: the window keeps its size unless it is
        // maximized. Window managers that let the border be dragged anyway
        // see the size put back.
        if (m_form->m_fixedBorder && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            && size() != m_normalSize && !m_normalSize.isEmpty()) {
            QTimer::singleShot(0, this, [this] {
                if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
                    resize(m_normalSize);
            });
        }
    }

    void closeEvent(QCloseEvent *event) override
    {
        event->accept();
        m_form->closed();
    }

private:
    TForm *m_form;
    QMenuBar *m_menuBar;
    QSize m_normalSize;
};

// The client area shows the form's surface.
class ClientArea : public QWidget {
public:
    ClientArea(TForm *form, QWidget *parent) : QWidget(parent), m_form(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_form->m_invalid)
            m_form->paintCycle();
        QPainter painter(this);
        painter.drawImage(0, 0, m_form->m_surface);
    }

private:
    TForm *m_form;
};

void FormWindow::layoutChildren()
{
    const int menu = menuHeight();
    if (!m_menuBar->isHidden())
        m_menuBar->setGeometry(0, 0, width(), menu);
    m_form->m_client->setGeometry(0, menu, width(), std::max(0, height() - menu));
    m_form->clientResized();
}

// ---------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent *AOwner)
    : TControl(AOwner), Canvas(new TCanvas(&m_surface)), m_window(new FormWindow(this)),
      m_client(new ClientArea(this, m_window)), m_color(clBtnFace())
{
    setWidget(m_client);
    Canvas->OnChange = [this] { m_client->update(); };
}

TForm::~TForm()
{
    // The components go first: their widgets are children of the window.
    while (!Components().empty())
        delete Components().back();
    if (Application->m_mainForm == this)
        Application->m_mainForm = nullptr;
    delete m_window;
    delete Canvas;
}

int TForm::ClientWidth() const
{
    return m_client->width();
}

int TForm::ClientHeight() const
{
    return m_client->height();
}

void TForm::SetClientSize(int width, int height)
{
    m_window->setClientSize(QSize(width, height));
}

String TForm::Caption() const
{
    return m_window->windowTitle();
}

QWidget *TForm::Window() const
{
    return m_window;
}

QMenuBar *TForm::MenuBar() const
{
    return m_window->menuBar();
}

QWidget *TForm::clientWidget() const
{
    return m_client;
}

QRect TForm::clientRect() const
{
    return QRect(0, 0, ClientWidth(), ClientHeight());
}

void TForm::Invalidate()
{
    m_invalid = true;
    if (m_paintQueued)
        return;
    // The paint comes once the running handler has returned, whether or
    // not the window is on screen.
    m_paintQueued = true;
    QMetaObject::invokeMethod(
        m_client,
        [this] {
            m_paintQueued = false;
            if (m_invalid)
                paintCycle();
        },
        Qt::QueuedConnection);
}

void TForm::paintCycle()
{
    m_invalid = false;
    m_surface.fill(toQRgb(m_color));
    for (TControl *control : Controls())
        if (!control->Widget())
            control->Paint(*Canvas);
    fire(OnPaint, this);
    m_client->update();
}

void TForm::clientResized()
{
    const QSize size = m_client->size();
    if (size == m_surface.size())
        return;
    // The new surface keeps what was shown; the grown part starts out in the
    // form's colour until the repaint that follows.
    QImage surface(size, QImage::Format_RGB32);
    surface.fill(toQRgb(m_color));
    if (!m_surface.isNull()) {
        QPainter painter(&surface);
        painter.drawImage(0, 0, m_surface);
    }
    m_surface = std::move(surface);
    AlignControls();
    Invalidate();
    fire(OnResize, this);
}

void TForm::Show()
{
    m_window->show();
    // A new window puts the focus in its first control in tab order.
    if (!m_window->focusWidget()) {
        for (QWidget *w = m_window->nextInFocusChain(); w != m_window; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus && w->isEnabled() && w->isVisibleTo(m_window)) {
                w->setFocus(Qt::ActiveWindowFocusReason);
                break;
            }
        }
    }
}

bool TForm::Visible() const
{
    return m_window->isVisible();
}

void TForm::Maximize()
{
    m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    if (!m_window->isVisible())
        return;
    m_window->showMaximized();
}

void TForm::Restore()
{
    m_window->showNormal();
}

void TForm::Close()
{
    m_window->hide();
    closed();
}

void TForm::closed()
{
    if (Application->m_mainForm == this && Application->m_running)
        QCoreApplication::exit(0);
}

QImage TForm::ClientImage()
{
    if (m_invalid)
        paintCycle();
    return m_client->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void TForm::SetProperty(const String &name, const TValue &value)
{
    static const char *const accepted[] = {
        // What the form was designed with; the layer has one way to do each.
        "Font.Charset", "Font.Color", "Font.Style", "PixelsPerInch", "TextHeight", "Scaled",
        "HorzScrollBar.Visible", "VertScrollBar.Visible", "HorzScrollBar.Increment",
        "VertScrollBar.Increment", "OldCreateOrder", "Position", "Color",
    };
    if (name == QLatin1String("Left")) {
        m_window->move(value.toInt(), m_window->y());
    } else if (name == QLatin1String("Top")) {
        m_window->move(m_window->x(), value.toInt());
    } else if (name == QLatin1String("Caption")) {
        m_window->setWindowTitle(value.toText());
    } else if (name == QLatin1String("ClientWidth")) {
        SetClientSize(value.toInt(), std::max(ClientHeight(), 0));
    } else if (name == QLatin1String("ClientHeight")) {
        SetClientSize(std::max(ClientWidth(), 0), value.toInt());
    } else if (name == QLatin1String("BorderStyle")) {
        m_fixedBorder = value.toIdent() == QLatin1String("bsSingle");
        m_window->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, m_fixedBorder);
    } else if (name == QLatin1String("Menu")) {
        m_menuName = value.toIdent();
    } else if (name == QLatin1String("Font.Name")) {
        // The designed face first, then look-alikes found on other systems.
        QFont font = m_window->font();
        font.setFamilies({value.toText(), QStringLiteral("Microsoft Sans Serif"),
                          QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                          QStringLiteral("DejaVu Sans")});
        m_window->setFont(font);
    } else if (name == QLatin1String("Font.Height")) {
        QFont font = m_window->font();
        font.setPixelSize(std::abs(value.toInt()));
        m_window->setFont(font);
    } else if (std::find_if(std::begin(accepted), std::end(accepted),
                            [&](const char *n) { return name == QLatin1String(n); })
               != std::end(accepted)) {
        return;
    } else {
        TControl::SetProperty(name, value);
    }
}

void TForm::SetEvent(const String &name, TNotifyEvent handler)
{
    if (name == QLatin1String("OnCreate"))
        OnCreate = std::move(handler);
    else if (name == QLatin1String("OnPaint"))
        OnPaint = std::move(handler);
    else if (name == QLatin1String("OnResize"))
        OnResize = std::move(handler);
    else
        TControl::SetEvent(name, std::move(handler));
}

void TForm::InsertChild(TComponent *child)
{
    // Non-visual components (the menu, the dialog) are only owned.
    if (dynamic_cast<TControl *>(child))
        TControl::InsertChild(child);
}

namespace {

// The controls that take the focus, in tab order: children by TabOrder,
// depth first.
void collectTabOrder(const TControl *parent, std::vector<QWidget *> &chain)
{
    std::vector<std::pair<int, TControl *>> ordered;
    for (TControl *child : parent->Controls())
        ordered.emplace_back(child->TabOrder(), child);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[order, child] : ordered) {
        if (child->Widget() && child->Widget()->focusPolicy() & Qt::TabFocus)
            chain.push_back(child->Widget());
        collectTabOrder(child, chain);
    }
}

} // namespace

void TForm::Loaded()
{
    if (!m_menuName.isEmpty()) {
        auto *menu = dynamic_cast<TMainMenu *>(FindComponent(m_menuName));
        if (!menu)
            throw EReadError(QStringLiteral("Invalid property value %1").arg(m_menuName));
        menu->BuildMenuBar(m_window->menuBar());
        m_window->menuBar()->show();
        SetClientSize(ClientWidth(), ClientHeight());
    }
    std::vector<QWidget *> chain;
    collectTabOrder(this, chain);
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    // The client area's geometry follows the window, not bounds of its own.
    AlignControls();
}

void TForm::readDescriptionText(const String &className, const TPublishedNames &published)
{
    registerStandardClasses();
    QFile file(Application->DescriptionFolder + QLatin1Char('/') + className + QStringLiteral(".dfm"));
    if (!file.open(QIODevice::ReadOnly))
        throw EReadError(QStringLiteral("Resource %1 not found").arg(className));
    ReadComponentText(String::fromUtf8(file.readAll()), this, className, published);
    Invalidate();
}

void TForm::doCreate()
{
    fire(OnCreate, this);
}

// ---------------------------------------------------------------------------
// TApplication

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication()
{
    // Forms still open at exit go while Qt is still there to take their
    // windows down; without it there is nothing left to release.
    if (!QCoreApplication::instance())
        return;
    while (!Components().empty())
        delete Components().back();
}

void TApplication::Initialize()
{
    if (!QCoreApplication::instance()) {
        // The program's own: it lives until the process ends, after the
        // forms it shows. Command lines are not ours to read.
        static int argc = 1;
        static char name[] = "vantorel";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    // One look everywhere, so the window is drawn the same on every desktop
    // and by the command-line tool.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/MAINICON"));
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
}

void TApplication::Run()
{
    if (!m_mainForm)
        return;
    m_mainForm->Show();
    m_running = true;
    QApplication::exec();
    m_running = false;
}

void TApplication::ProcessMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

String TApplication::Title() const
{
    return QCoreApplication::applicationName();
}

void TApplication::ShowException(const Exception &exception)
{
    String text = exception.Message;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    showMessageBox(TMessageKind::Error, text);
}

} // namespace vcl
