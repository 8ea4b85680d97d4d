#include "DemoWalk.h"

#include "common/MessageBox.h"

#include <QApplication>
#include <QTextStream>

namespace {
// Boxes in a walk are answered with their default button and printed.
class PrintingMessageBox : public MessageBox::Presenter {
public:
    MessageBox::Answer present(const MessageBox::Request& r) override {
        QTextStream(stdout) << "  [" << r.title << "] " << r.text << "\n";
        return r.defaultButton;
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvel");
    const QStringList args = QApplication::arguments();
    const QStringList flags = args.mid(3);
    const bool internet = flags.contains(QLatin1String("--internet"));
    const bool guide = flags.contains(QLatin1String("--guide"));
    const bool mobile = flags.contains(QLatin1String("--mobile"));
    if (args.size() < 3 || flags.size() != int(internet) + int(guide) + int(mobile)) {
        QTextStream(stderr) << "usage: quorvel-demo-walk <installation folder> <screenshot "
                               "folder> [--internet] [--guide] [--mobile]\n";
        return 2;
    }
    PrintingMessageBox boxes;
    MessageBox::install(&boxes);
    DemoWalk walk(args[1], args[2]);
    walk.walkInternet = internet;
    walk.guideTour = guide;
    walk.walkMobile = mobile;
    const bool ok = walk.run();
    for (const QString& s : walk.screenshots())
        QTextStream(stdout) << "screenshot: " << s << "\n";
    if (!ok) {
        QTextStream(stderr) << "demo walk failed: " << walk.error() << "\n";
        return 1;
    }
    return 0;
}
