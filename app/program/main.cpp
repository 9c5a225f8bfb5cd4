// The program's entry point: the application, the main window and the
// start-up forms, then the message loop. No command line is read.
#include <QApplication>

#include <exception>

#include "app/frmTQMain.h"
#include "platform/core/TQMessage.h"

namespace {

// An exception that escapes an event handler is shown, and the loop goes on.
class TQApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            TMessageRequest req;
            req.kind = mkError;
            req.caption = "Tonquill";
            req.text = e.what();
            MessageBoxes().Show(req);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    TQApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonquill"));
    return RunTonquill();
}
