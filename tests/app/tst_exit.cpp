// Start-up, the exit button, the exit confirmation and closing the main window, on a real
// dream table in a temporary database directory.

#include "app/form100.h"
#include "app/form2.h"
#include "app/form400.h"
#include "app/form99.h"
#include "app/formabox.h"
#include "controls/dbmemo.h"
#include "data/errors.h"
#include "platform/application.h"
#include "platform/beep.h"
#include "platform/dialogs.h"

#include "app/commandline.h"
#include "app/firststart.h"
#include "app/roster.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictionary/formaprimera.h"
#include "platform/modal.h"
#include "platform/windowroster.h"
#include "support/tempdictionary.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// Runs an action each time a window is shown, from inside its modal loop, once the window
// has become the active one (keyboard shortcuts need that).
class OnShow : public QObject
{
public:
    OnShow(QWidget *window, std::function<void()> action)
        : QObject(window), m_action(std::move(action)), m_window(window)
    {
        window->installEventFilter(this);
    }
    int shows = 0;
    std::function<void()> m_action; // may be replaced between showings

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (object == m_window && event->type() == QEvent::Show) {
            ++shows;
            QTimer::singleShot(0, m_window, [this] {
                // Whether a window shown again becomes active by itself depends on the
                // platform; make sure it is.
                m_window->activateWindow();
                if (!QTest::qWaitForWindowActive(m_window))
                    qWarning("window did not become active");
                if (m_action)
                    m_action();
            });
        }
        return false;
    }

private:
    QWidget *m_window;
};

QString currentName(Table *table)
{
    return table->fieldText(ImagenOnirica);
}

// Keeps the variables that choose the database directory, and puts them back.
class DirectoryVariables
{
public:
    ~DirectoryVariables()
    {
        for (const auto &[name, value] :
             {std::pair{"NOCTAMBU_DIR", m_dir}, std::pair{"XDG_DATA_HOME", m_data}}) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

private:
    const QByteArray m_dir = qgetenv("NOCTAMBU_DIR");
    const QByteArray m_data = qgetenv("XDG_DATA_HOME");
};

qint64 rowCount(const QString &dir)
{
    Storage storage;
    storage.open(dir);
    return storage.rowCount();
}

} // namespace

class TestExit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void volverKeepsEverything();
    void exitButtonStoresAChangedRow();
    void untouchedNewRowIsDroppedBeforeTheQuestion();
    void closeControlActsLikeVolver();
    void salirBeepsBeforeTheEnd();
    void keyboardOfTheConfirmation();
    void rowThatCannotBePostedStopsTheExit();
    void closingTheMainWindowKeepsAChangedRow();
    void closingWithARowThatCannotBePosted();
    void activationShowsTheIntroOnlyWhenItCounts();
    void confirmationLayout();
    void rosterOrder();
    void startWithoutDatabaseDirectory();
    void startUpErrorSaysHowToMakeADictionary_data();
    void startUpErrorSaysHowToMakeADictionary();
    void databaseDirectoryChoice();
    void firstStart();
    void commandLine_data();
    void commandLine();

private:
    void confirmWith(std::function<void()> answer) { m_confirm->m_action = std::move(answer); }
    QString storedMeaning(const QString &name);

    std::unique_ptr<TestSupport::TempDictionary> m_dir;
    std::unique_ptr<TFORMAPRIMERA> m_main;
    std::unique_ptr<TForm99> m_form99;
    std::unique_ptr<TForm400> m_intro;
    std::unique_ptr<TFORMABOX> m_box;
    OnShow *m_confirm = nullptr;
    OnShow *m_introShown = nullptr;
    int m_quits = 0;
    bool m_confirmShownInEdit = false;
};

void TestExit::init()
{
    QVector<TestSupport::Entry> entries =
        TestSupport::named({QStringLiteral("Agua"), QStringLiteral("Luna"), QStringLiteral("Sol")});
    for (TestSupport::Entry &entry : entries)
        entry.meaning = QStringLiteral("antes");
    m_dir = std::make_unique<TestSupport::TempDictionary>(entries);
    m_main = std::make_unique<TFORMAPRIMERA>(m_dir->path());
    m_form99 = std::make_unique<TForm99>();
    m_intro = std::make_unique<TForm400>();
    m_box = std::make_unique<TFORMABOX>();
    windowRoster().FORMAPRIMERA = m_main.get();
    windowRoster().Form99 = m_form99.get();
    windowRoster().Form400 = m_intro.get();
    windowRoster().FORMABOX = m_box.get();
    m_confirm = new OnShow(m_form99.get(), nullptr);
    m_introShown = new OnShow(m_intro.get(), [this] { m_intro->BITBTN1->click(); });

    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    Termination::reset();
    m_quits = 0;
    Termination::setQuitFunction([this] { ++m_quits; });
    resetBeepCount();

    m_main->Table1->moveToId(0);
    m_main->Table1->first();
    m_main->Table1->next(); // "Luna"
    QCOMPARE(currentName(m_main->Table1), QStringLiteral("Luna"));
}

void TestExit::cleanup()
{
    m_box.reset();
    m_intro.reset();
    m_form99.reset();
    m_main.reset();
    windowRoster() = WindowRoster();
    m_dir.reset();
}

QString TestExit::storedMeaning(const QString &name)
{
    Table table;
    table.setDatabaseDir(m_dir->path());
    table.open();
    if (!table.locate(fieldName(ImagenOnirica), name, {}))
        return QStringLiteral("<missing>");
    return table.fieldText(InterpretacionOnirica);
}

void TestExit::volverKeepsEverything()
{
    confirmWith([this] { m_form99->Button2->click(); });
    m_main->BitBtn2956->click();

    QCOMPARE(m_confirm->shows, 1);
    QVERIFY(!m_form99->isVisible());
    QCOMPARE(beepCount(), 2);
    QVERIFY(m_main->Table1->isActive());
    QCOMPARE(m_main->Table1->state(), DatasetState::Browse);
    QCOMPARE(currentName(m_main->Table1), QStringLiteral("Luna"));
    QCOMPARE(m_introShown->shows, 0);
    QVERIFY(!Termination::requested());
    QCOMPARE(m_quits, 0);
    QVERIFY(Dialogs::Script::shown().isEmpty());
}

void TestExit::exitButtonStoresAChangedRow()
{
    m_main->Table1->edit();
    m_main->Table1->setFieldValue(InterpretacionOnirica, QStringLiteral("después"));
    confirmWith([this] {
        m_confirmShownInEdit = m_main->Table1->state() != DatasetState::Browse;
        m_form99->Button2->click();
    });
    m_main->BitBtn2956->click();

    QCOMPARE(m_confirm->shows, 1);
    QVERIFY(!m_confirmShownInEdit); // stored before the question
    QCOMPARE(m_main->Table1->state(), DatasetState::Browse);
    QCOMPARE(currentName(m_main->Table1), QStringLiteral("Luna"));
    QCOMPARE(storedMeaning(QStringLiteral("Luna")), QStringLiteral("después"));
}

void TestExit::untouchedNewRowIsDroppedBeforeTheQuestion()
{
    m_main->Table1->insert();
    qint64 rowsAtQuestion = -1;
    confirmWith([&] {
        m_confirmShownInEdit = m_main->Table1->state() != DatasetState::Browse;
        rowsAtQuestion = m_main->Table1->recordCount();
        m_form99->Button2->click();
    });
    m_main->BitBtn2956->click();

    QCOMPARE(m_confirm->shows, 1);
    QVERIFY(!m_confirmShownInEdit);
    QCOMPARE(rowsAtQuestion, 3);
    QCOMPARE(m_main->Table1->state(), DatasetState::Browse);
    QVERIFY(Dialogs::Script::shown().isEmpty());
}

void TestExit::closeControlActsLikeVolver()
{
    confirmWith([this] { m_form99->close(); });
    m_main->BitBtn2956->click();

    QCOMPARE(m_confirm->shows, 1);
    QVERIFY(!m_form99->isVisible());
    QCOMPARE(beepCount(), 2); // the second beep too
    QVERIFY(m_main->Table1->isActive());
    QCOMPARE(currentName(m_main->Table1), QStringLiteral("Luna"));
    QVERIFY(!Termination::requested());
}

void TestExit::salirBeepsBeforeTheEnd()
{
    int beepsAtQuit = -1;
    Termination::setQuitFunction([&] { beepsAtQuit = beepCount(); });
    confirmWith([this] { m_form99->Button1->click(); });
    m_main->BitBtn2956->click();

    QVERIFY(Termination::requested());
    QCOMPARE(beepsAtQuit, 1); // the request comes while the question is up...
    QVERIFY(!m_form99->isVisible());
    QCOMPARE(beepCount(), 2); // ...and the handler beeps before the main loop ends
}

void TestExit::keyboardOfTheConfirmation()
{
    // Escape does nothing; Alt+V goes back.
    bool visibleAfterEscape = false;
    QWidget *focusAtOpening = nullptr;
    confirmWith([&] {
        focusAtOpening = m_form99->focusWidget();
        QTest::keyClick(m_form99.get(), Qt::Key_Escape);
        visibleAfterEscape = m_form99->isVisible();
        QTest::keyClick(m_form99.get(), Qt::Key_V, Qt::AltModifier);
    });
    m_main->BitBtn2956->click();
    QVERIFY(visibleAfterEscape);
    QCOMPARE(focusAtOpening, m_form99->Button1);
    QVERIFY(!Termination::requested());

    // Space on the focused "&Volver".
    confirmWith([&] {
        m_form99->Button2->setFocus();
        QTest::keyClick(m_form99->Button2, Qt::Key_Space);
    });
    m_main->BitBtn2956->click();
    QVERIFY(!Termination::requested());

    // Enter on the first button, which has the focus again at the next opening.
    confirmWith([&] {
        focusAtOpening = m_form99->focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    m_main->BitBtn2956->click();
    QCOMPARE(focusAtOpening, m_form99->Button1);
    QVERIFY(Termination::requested());
    QCOMPARE(m_confirm->shows, 3);
    QCOMPARE(beepCount(), 6);

    // Alt+S.
    Termination::reset();
    confirmWith([&] { QTest::keyClick(m_form99.get(), Qt::Key_S, Qt::AltModifier); });
    m_main->BitBtn2956->click();
    QVERIFY(Termination::requested());
}

void TestExit::rowThatCannotBePostedStopsTheExit()
{
    m_main->Table1->edit();
    m_main->Table1->setFieldValue(ImagenOnirica, QStringLiteral("Agua")); // duplicate name
    confirmWith([this] { m_form99->Button1->click(); });
    m_main->BitBtn2956->click();

    QCOMPARE(m_confirm->shows, 0);
    QCOMPARE(beepCount(), 1);
    QCOMPARE(m_main->Table1->state(), DatasetState::Edit);
    QVERIFY(!Termination::requested());
    const QVector<Dialogs::Shown> &shown = Dialogs::Script::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, QStringLiteral("NOCTAMBULA v2.0 (Noches de Fortuna)"));
    QCOMPARE(shown[0].icon, Dialogs::Icon::Critical);
    QVERIFY(shown[0].text.contains(QStringLiteral("Agua")));
    QVERIFY(shown[0].text.endsWith(QLatin1Char('.')));
    QCOMPARE(storedMeaning(QStringLiteral("Luna")), QStringLiteral("antes"));
}

void TestExit::closingTheMainWindowKeepsAChangedRow()
{
    m_main->Table1->edit();
    m_main->Table1->setFieldValue(InterpretacionOnirica, QStringLiteral("guardado al cerrar"));
    QVERIFY(m_main->close());

    QVERIFY(Termination::requested());
    QCOMPARE(m_quits, 1);
    QCOMPARE(beepCount(), 0);
    QCOMPARE(m_confirm->shows, 0);
    QVERIFY(Dialogs::Script::shown().isEmpty());
    QCOMPARE(storedMeaning(QStringLiteral("Luna")), QStringLiteral("guardado al cerrar"));

    // An untouched new row is simply dropped.
    Termination::reset();
    m_main->Table1->insert();
    QVERIFY(m_main->close());
    QVERIFY(Termination::requested());
    QCOMPARE(m_main->Table1->recordCount(), 3);
}

void TestExit::closingWithARowThatCannotBePosted()
{
    m_main->show();
    QTRY_COMPARE(m_introShown->shows, 1);
    QTRY_COMPARE(beepCount(), 2);
    resetBeepCount();

    m_main->Table1->edit();
    m_main->Table1->setFieldValue(ImagenOnirica, QString()); // the name is required
    QVERIFY(!m_main->close());

    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->Table1->state(), DatasetState::Edit);
    QVERIFY(!Termination::requested());
    QCOMPARE(beepCount(), 0);
    QCOMPARE(m_confirm->shows, 0);
    const QVector<Dialogs::Shown> &shown = Dialogs::Script::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Field 'Imagen Onírica' must have a value."));

    // The user fixes the name; the next close goes through and keeps it.
    m_main->Table1->setFieldValue(ImagenOnirica, QStringLiteral("Lunas"));
    QVERIFY(m_main->close());
    QVERIFY(Termination::requested());
    QCOMPARE(storedMeaning(QStringLiteral("Lunas")), QStringLiteral("antes"));
}

void TestExit::activationShowsTheIntroOnlyWhenItCounts()
{
    // Start-up: beep, intro, first row, focus to the name editor, beep.
    m_main->show();
    QTRY_COMPARE(m_introShown->shows, 1);
    QTRY_COMPARE(beepCount(), 2);
    QCOMPARE(currentName(m_main->Table1), QStringLiteral("Agua"));
    qDebug() << "DBG" << QApplication::focusWidget() << QApplication::activeWindow();
    QTRY_COMPARE(m_main->focusWidget(), static_cast<QWidget *>(m_main->memo9));
    QVERIFY(!m_intro->isVisible());

    // Back from the exit confirmation: no intro, same row.
    m_main->Table1->next();
    confirmWith([this] { m_form99->Button2->click(); });
    m_main->BitBtn2956->click();
    m_main->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_main.get());
    QCoreApplication::processEvents();
    QCOMPARE(m_introShown->shows, 1);
    QCOMPARE(currentName(m_main->Table1), QStringLiteral("Luna"));

    // Coming back from the publisher box counts: the intro shows again, the first row.
    m_box->show();
    QTRY_COMPARE(ActivationWatcher::focusRecord(), m_box.get());
    m_main->activateWindow();
    QTRY_COMPARE(m_introShown->shows, 2);
    QTRY_COMPARE(currentName(m_main->Table1), QStringLiteral("Agua"));
    m_box->hide();
}

void TestExit::confirmationLayout()
{
    TForm99 &f = *m_form99;
    QCOMPARE(f.windowTitle(), QStringLiteral("-"));
    QCOMPARE(f.RaisedLabel1->text(), QStringLiteral("¿ Desea Salir del Programa ?"));
    QCOMPARE(f.RaisedLabel1->geometry(), QRect(13, 8, 222, 19));
    QCOMPARE(f.RaisedLabel1->textStyle(), TRaisedLabel::tsRaised);
    QCOMPARE(f.RaisedLabel1->fontColor(), QColor(0x80, 0x00, 0x00));
    QVERIFY(f.RaisedLabel1->isTransparent());
    QVERIFY(f.RaisedLabel1->font().bold());
    QCOMPARE(f.RaisedLabel1->font().pixelSize(), 16);
    QCOMPARE(f.Button1->geometry(), QRect(32, 48, 57, 25));
    QCOMPARE(f.Button2->geometry(), QRect(152, 48, 57, 25));
    QCOMPARE(f.Button1->font().pixelSize(), 12);
    QVERIFY(!f.Button1->isDefault() && !f.Button2->isDefault());
    QCOMPARE(f.Button1->nextInFocusChain(), f.Button2);
    const Qt::WindowFlags flags = f.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    // Pressing on the title label starts the automatic drag and nothing else.
    confirmWith([&] {
        QTest::mousePress(f.RaisedLabel1, Qt::LeftButton);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
        QTest::mouseRelease(f.RaisedLabel1, Qt::LeftButton);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(f.isVisible());
        f.Button2->click();
    });
    m_main->BitBtn2956->click();
    QVERIFY(!Termination::requested());
}

void TestExit::rosterOrder()
{
    cleanup();
    m_dir = std::make_unique<TestSupport::TempDictionary>();
    QStringList destroyed;
    {
        Roster roster(m_dir->path());
        const QList<QWidget *> windows{roster.FORMAPRIMERA(), roster.Form99(),  roster.Form2(),
                                       roster.FORMABOX(),     roster.Form100(), roster.Form400()};
        const QIcon icon = programIcon();
        QCOMPARE(icon.availableSizes(),
                 QList<QSize>(
                     {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
        QCOMPARE(icon.pixmap(256).size(), QSize(256, 256)); // the pictures are there
        for (QWidget *w : windows) {
            QVERIFY(!w->isVisible());
            QCOMPARE(w->windowIcon().pixmap(32).toImage(), icon.pixmap(32).toImage());
            connect(w, &QObject::destroyed,
                    [&destroyed, name = w->objectName()] { destroyed << name; });
        }
        QCOMPARE(windowRoster().FORMAPRIMERA.data(), roster.FORMAPRIMERA());
        QCOMPARE(windowRoster().Form400.data(), static_cast<QDialog *>(roster.Form400()));
        QVERIFY(roster.FORMAPRIMERA()->Table1->isActive());
        QCOMPARE(roster.Form400()->windowTitle(),
                 QStringLiteral("NOCTAMBULA v2.0 (Noches de Fortuna)"));
        QCOMPARE(roster.FORMAPRIMERA()->windowTitle(), roster.Form400()->windowTitle());
        QCOMPARE(roster.Form2()->windowTitle(), QStringLiteral("Acerca de..."));
        QCOMPARE(roster.FORMABOX()->windowTitle(), QStringLiteral("Arcania"));
        QCOMPARE(roster.Form100()->windowTitle(), QStringLiteral("Ayuda sobre la Base de Datos"));

        // The large sizes of the icon follow the first picture of the window watched.
        const QList<QSize> small{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
        QCOMPARE(QApplication::windowIcon().availableSizes(), small);
        QWidget watched;
        Application::addLargeIconsAfterFirstPaint(&watched);
        QTest::qWait(50);
        QCOMPARE(QApplication::windowIcon().availableSizes(), small);
        watched.show();
        QTRY_COMPARE(QApplication::windowIcon().availableSizes(), icon.availableSizes());
        QCOMPARE(roster.Form2()->windowIcon().pixmap(256).toImage(), icon.pixmap(256).toImage());
    }
    QApplication::setWindowIcon(programIcon(Application::smallIconSizes));
    QCOMPARE(destroyed,
             QStringList({"Form400", "Form100", "FORMABOX", "Form2", "Form99", "FORMAPRIMERA"}));
    QVERIFY(!windowRoster().FORMAPRIMERA);
}

void TestExit::startWithoutDatabaseDirectory()
{
    const QString missing = m_dir->path() + QStringLiteral("/no-such-folder");

    // In the program: the main window cannot be created, no window of the roster exists.
    cleanup();
    bool failed = false;
    try {
        Roster roster(missing);
    } catch (const Error &) {
        failed = true;
    }
    QVERIFY(failed);
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    QVERIFY(!windowRoster().Form99);

    // As a process: the report on stderr and exit code 1.
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(DREAMBOOK_PATH), {QStringLiteral("--database-dir"), missing});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    const QRegularExpression report(
        QStringLiteral("Exception EDBEngineError in module dreambook at (0x)?[0-9a-fA-F]+\\.\n"
                       "[^\n]*no-such-folder[^\n]*\\.\n"));
    QVERIFY2(report.match(err).hasMatch(), qPrintable(err));
}

void TestExit::startUpErrorSaysHowToMakeADictionary_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("table"); // the file left as the table, if any
    QTest::addColumn<QString>("command");  // how to make one, where the folder holds none

    QTest::newRow("no folder") << "falta" << QByteArray() << "«dreambook-db create %1 --sample»";
    QTest::newRow("empty folder") << "vacía" << QByteArray() << "«dreambook-db create %1 --sample»";
    QTest::newRow("blank in the name")
        << "mis sueños" << QByteArray() << "«dreambook-db create \"%1\" --sample»";
    QTest::newRow("not a dream table") << "otra" << QByteArray("texto") << QString();
}

void TestExit::startUpErrorSaysHowToMakeADictionary()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, table);
    QFETCH(QString, command);
    cleanup(); // no window of the roster
    QTemporaryDir base;
    const QString dir = base.path() + QLatin1Char('/') + folder;
    if (folder != QStringLiteral("falta"))
        QVERIFY(QDir().mkpath(dir));
    if (!table.isNull()) {
        QFile file(Storage::tablePath(dir));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(table);
    }
    QString message;
    try {
        Roster roster(dir);
    } catch (const EngineError &error) {
        message = error.message();
    }
    const QString shown = QDir::toNativeSeparators(dir);
    QVERIFY2(message.startsWith(QStringLiteral("No se puede abrir el diccionario de la carpeta ") +
                                shown + QStringLiteral(": ")),
             qPrintable(message));
    QVERIFY(!message.contains(QLatin1Char('\n')));
    if (command.isEmpty())
        QVERIFY(!message.contains(QStringLiteral("dreambook-db")));
    else
        QVERIFY2(message.endsWith(command.arg(shown)), qPrintable(message));
}

void TestExit::databaseDirectoryChoice()
{
    const DirectoryVariables saved;
    const QStringList plain{QStringLiteral("dreambook")};
    const QStringList given{QStringLiteral("dreambook"), QStringLiteral("--database-dir"),
                            QStringLiteral("/a")};

    qputenv("NOCTAMBU_DIR", "/b");
    QCOMPARE(databaseDirFromArguments(given), QStringLiteral("/a")); // the option first
    QCOMPARE(databaseDirFromArguments(
                 {QStringLiteral("dreambook"), QStringLiteral("--database-dir=/c")}),
             QStringLiteral("/c"));
    QCOMPARE(databaseDirFromArguments(plain), QStringLiteral("/b")); // then the environment
    QVERIFY(parseCommandLine(plain).databaseDirNamed);
    qunsetenv("NOCTAMBU_DIR");
    QVERIFY(parseCommandLine(given).databaseDirNamed);
    QVERIFY(!parseCommandLine(plain).databaseDirNamed);
    qputenv("XDG_DATA_HOME", "/data");
#ifndef Q_OS_WIN
    QCOMPARE(databaseDirFromArguments(plain), QStringLiteral("/data/noctambu"));
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(databaseDirFromArguments(plain),
             QDir::homePath() + QStringLiteral("/.local/share/noctambu"));
#endif
}

void TestExit::firstStart()
{
#ifdef Q_OS_WIN
    QSKIP("the default directory is c:\\noctambu");
#endif
    const DirectoryVariables saved;
    const QStringList plain{QStringLiteral("dreambook")};
    const QString data = m_dir->filePath(QStringLiteral("data"));
    const QString defaultDir = data + QStringLiteral("/noctambu");
    qunsetenv("NOCTAMBU_DIR");
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());

    // A directory named by the option or the variable is never made.
    prepareDatabaseDir(parseCommandLine(plain + QStringList{"--database-dir", defaultDir}));
    qputenv("NOCTAMBU_DIR", defaultDir.toLocal8Bit());
    prepareDatabaseDir(parseCommandLine(plain));
    QVERIFY(!QFileInfo::exists(data));
    qunsetenv("NOCTAMBU_DIR");

    // The default one gets the sample dictionary, once.
    prepareDatabaseDir(parseCommandLine(plain));
    QCOMPARE(rowCount(defaultDir), 159);
    {
        Table table;
        table.setDatabaseDir(defaultDir);
        table.open();
        table.insert();
        table.setFieldValue(ImagenOnirica, QStringLiteral("Zafiro"));
        table.post();
    }
    prepareDatabaseDir(parseCommandLine(plain));
    QCOMPARE(rowCount(defaultDir), 160);

    // A default directory that cannot be made: the reason, nothing made, and the program
    // gives it as its start-up error.
    const QString file = m_dir->filePath(QStringLiteral("file"));
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    qputenv("XDG_DATA_HOME", file.toLocal8Bit());
    QString reason;
    try {
        prepareDatabaseDir(parseCommandLine(plain));
    } catch (const EngineError &error) {
        reason = error.message();
    }
    QVERIFY2(reason.contains(file + QStringLiteral("/noctambu")), qPrintable(reason));
    QVERIFY(QFileInfo(file).isFile());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), file);
    env.remove(QStringLiteral("NOCTAMBU_DIR"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(DREAMBOOK_PATH), QStringList());
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("Exception EDBEngineError in module dreambook")) &&
                 err.contains(reason),
             qPrintable(err));
}

void TestExit::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // how standard output starts
    QTest::addColumn<QString>("err"); // standard error, Qt's own warnings left out

    const QString usage = QStringLiteral(
        "Uso: dreambook [-h | --help] [-v | --version] [--database-dir <carpeta>]\n");
    const QString version = QStringLiteral("dreambook 2.0\n");
    QTest::newRow("help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("-h, whatever follows")
        << QStringList{"-h", "--bogus"} << 0 << usage << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << version << QString();
    QTest::newRow("-v") << QStringList{"-v"} << 0 << version << QString();
    QTest::newRow("unknown option")
        << QStringList{"--database-dir", "/x", "--bogus=1"} << 2 << QString()
        << QStringLiteral("dreambook: opción desconocida: --bogus\n") + usage;
    QTest::newRow("unknown short option")
        << QStringList{"-x"} << 2 << QString()
        << QStringLiteral("dreambook: opción desconocida: -x\n") + usage;
    QTest::newRow("directory missing")
        << QStringList{"--database-dir"} << 2 << QString()
        << QStringLiteral("dreambook: falta la carpeta tras --database-dir\n") + usage;
    QTest::newRow("empty directory")
        << QStringList{"--database-dir="} << 2 << QString()
        << QStringLiteral("dreambook: falta la carpeta tras --database-dir\n") + usage;
    QTest::newRow("argument") << QStringList{"sueños"} << 2 << QString()
                              << QStringLiteral("dreambook: argumento inesperado: sueños\n") +
                                     usage;
}

void TestExit::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(DREAMBOOK_PATH), arguments);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QStringList errLines = QString::fromUtf8(program.readAllStandardError()).split('\n');
    errLines.erase(std::remove_if(errLines.begin(), errLines.end(),
                                  [](const QString &l) { return l.startsWith("QStandardPaths"); }),
                   errLines.end());
    QCOMPARE(errLines.join('\n'), err);
}

NOCTAMBU_TEST_MAIN(TestExit)

#include "tst_exit.moc"
