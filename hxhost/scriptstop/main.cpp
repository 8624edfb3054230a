// The stop window the host's script watch shows while a script keeps the
// host busy. It runs as a process of its own because the host's GUI thread is
// the one the script holds: nothing the host itself showed could be drawn or
// clicked. Exit code 0 asks the host to stop the script; any other ending
// (Keep Waiting, closing the window) lets it run on. The host closes this
// window itself when the script ends first.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hxhost"));
    QCommandLineParser parser;
    const QCommandLineOption scriptOption(QStringLiteral("script"), QStringLiteral("The script's name."),
                                          QStringLiteral("NAME"));
    const QCommandLineOption busyOption(QStringLiteral("busy"),
                                        QStringLiteral("Seconds the script has kept the host busy so far."),
                                        QStringLiteral("SECONDS"));
    parser.addOption(scriptOption);
    parser.addOption(busyOption);
    parser.addHelpOption();
    parser.process(application);

    const QString script = parser.value(scriptOption);
    const qint64 busyBefore = parser.value(busyOption).toLongLong();
    QMessageBox box(QMessageBox::Warning, QObject::tr("Script Not Responding"), QString());
    box.setObjectName(QStringLiteral("scriptStopBox"));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QPushButton* stop = box.addButton(QObject::tr("Stop Script"), QMessageBox::DestructiveRole);
    box.addButton(QObject::tr("Keep Waiting"), QMessageBox::RejectRole);
    box.setDefaultButton(stop);

    QElapsedTimer shown;
    shown.start();
    const auto describe = [&] {
        const qint64 seconds = busyBefore + shown.elapsed() / 1000;
        box.setText(QObject::tr("The script \"%1\" has kept hxhost busy for %2 s.").arg(script).arg(seconds));
        box.setInformativeText(
            QObject::tr("Stop it to get hxhost back; what the script changed so far stays."));
    };
    describe();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &box, describe);
    ticker.start(1000);
    box.exec();
    return box.clickedButton() == stop ? 0 : 1;
}
