// The application object and forms.
//
// A form is a top-level window: a menu bar over a client area. The client
// area is a retained pixel surface that the form's Canvas draws into at any
// moment; the window presents it at its next repaint. Invalidate asks for a
// paint event once the running handler has returned: the surface is cleared
// to the form's colour, windowless controls such as bevels are drawn, and
// OnPaint runs. Child controls (panels and the like) lie over the surface.
#pragma once

#include "vcl/controls.h"
#include "vcl/graphics.h"

#include <QImage>

#include <memory>
#include <new>
#include <utility>
#include <vector>

class QMenuBar;
class QWidget;

namespace vcl {

class TForm;
class FormWindow;
class ClientArea;

// What a form class shows its description: its component fields and its
// handlers, each by name.
template <class T>
struct TFormClass {
    const char *className;
    std::vector<std::pair<const char *, std::function<bool(T &, TComponent *)>>> fields;
    std::vector<std::pair<const char *, void (T::*)(TObject *)>> methods;
};

// One published component field: binds only a component of the field's class.
template <class T, class C>
std::pair<const char *, std::function<bool(T &, TComponent *)>> published(const char *name, C *T::*field)
{
    return {name, [field](T &form, TComponent *component) {
                auto *typed = dynamic_cast<C *>(component);
                form.*field = typed;
                return typed != nullptr;
            }};
}

class TForm : public TControl {
public:
    explicit TForm(TComponent *AOwner);
    ~TForm() override;

    TCanvas *const Canvas;

    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);
    String Caption() const;
    TColor Color() const { return m_color; }

    // The whole client area is cleared and repainted once the running
    // handler has returned.
    void Invalidate();
    void Show();
    // Closes the window; closing the main form ends the application.
    void Close();
    bool Visible() const;

    void Maximize();
    void Restore();

    // The client area as the window shows it, strips and labels included.
    QImage ClientImage();
    // The surface alone, as the canvas has drawn it.
    const QImage &Surface() const { return m_surface; }

    QWidget *Window() const;
    QMenuBar *MenuBar() const;

    void SetProperty(const String &name, const TValue &value) override;
    void SetEvent(const String &name, TNotifyEvent handler) override;
    void InsertChild(TComponent *child) override;
    void Loaded() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnPaint;
    TNotifyEvent OnResize;

protected:
    QWidget *clientWidget() const override;
    QRect clientRect() const override;

private:
    friend class TApplication;
    friend class FormWindow;
    friend class ClientArea;

    template <class T>
    void readDescription(T &form, const TFormClass<T> &info);
    void readDescriptionText(const String &className, const TPublishedNames &published);
    void doCreate();
    void paintCycle();
    void clientResized();
    void closed();

    FormWindow *m_window;
    ClientArea *m_client;
    QImage m_surface;
    TColor m_color;
    bool m_invalid = true;
    bool m_paintQueued = false;
    bool m_fixedBorder = false;
    String m_menuName;
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Makes sure the Qt application exists and sets the look the layout
    // was designed for.
    void Initialize();

    // Allocates a form of class T, stores its address in Reference before its
    // constructor runs, reads its description and runs its OnCreate. When
    // construction or reading fails, Reference is reset to null and the
    // exception goes on to the caller. The first form becomes the main form.
    template <class T>
    void CreateForm(T *&Reference);

    // Shows the main form and handles events until it is closed.
    void Run();
    // Handles the events that are waiting, paint requests included.
    void ProcessMessages();
    // The error box: a stop icon, the message followed by ".", one button.
    void ShowException(const Exception &exception);

    TForm *MainForm() const { return m_mainForm; }
    String Title() const;

    // Where form descriptions are looked up, as FOLDER/ClassName.dfm.
    // Tests point it elsewhere to see what a missing description does.
    String DescriptionFolder = QStringLiteral(":/forms");

private:
    friend class TForm;
    TForm *m_mainForm = nullptr;
    bool m_running = false;
};

extern TApplication *Application;

template <class T>
void TForm::readDescription(T &form, const TFormClass<T> &info)
{
    TPublishedNames names;
    names.bindField = [&form, &info](const String &name, TComponent *component) {
        for (const auto &[fieldName, bind] : info.fields)
            if (name == QLatin1String(fieldName))
                return bind(form, component);
        return false;
    };
    names.findMethod = [&form, &info](const String &name) -> TNotifyEvent {
        for (const auto &[methodName, method] : info.methods)
            if (name == QLatin1String(methodName))
                return [&form, method](TObject *sender) { (form.*method)(sender); };
        return {};
    };
    readDescriptionText(QString::fromLatin1(info.className), names);
}

template <class T>
void TApplication::CreateForm(T *&Reference)
{
    void *memory = ::operator new(sizeof(T));
    Reference = static_cast<T *>(memory);
    T *form = nullptr;
    try {
        form = ::new (memory) T(this);
    } catch (...) {
        Reference = nullptr;
        ::operator delete(memory);
        throw;
    }
    try {
        form->readDescription(*form, T::ClassInfo);
    } catch (...) {
        Reference = nullptr;
        delete form;
        throw;
    }
    if (!m_mainForm)
        m_mainForm = form;
    form->doCreate();
}

} // namespace vcl
