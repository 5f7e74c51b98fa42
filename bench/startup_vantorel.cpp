// Vantorel's start-up as the program runs it, ending at the first frame the
// chart area paints. Timed as a whole process by bench/startup.sh.
#include "formchart.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

// Ends the run once a widget of the window has been painted.
class FirstFrame : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, [] { FormMain->Close(); }, Qt::QueuedConnection);
        return false;
    }
};

} // namespace

int main(int, char **)
{
    FirstFrame firstFrame;
    try {
        vcl::Application->Initialize();
        vcl::Application->CreateForm(FormMain);
        FormMain->BevelGraph->Parent()->Widget()->installEventFilter(&firstFrame);
        vcl::Application->Run();
    } catch (const vcl::Exception &exception) {
        vcl::Application->ShowException(exception);
    }
    return 0;
}
