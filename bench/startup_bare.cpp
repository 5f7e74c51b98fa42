// The yardstick for start-up: a bare Qt window of the same size, with a menu
// bar, ending at its first painted frame.
#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>

namespace {

class Canvas : public QWidget {
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), palette().button());
        QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QMenuBar;
    bar->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    layout->setMenuBar(bar);
    auto *canvas = new Canvas;
    canvas->setFixedSize(540, 540);
    layout->addWidget(canvas);
    window.show();
    return app.exec();
}
