// The print button of the main window: beep, list closed, dialog, the entry as the editors
// show it on image pages, the picture, and failures in the error box.

#include "controls/dbimage.h"
#include "controls/dbmemo.h"
#include "data/picturecodec.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictionary/formaprimera.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "platform/picturefield.h"
#include "printmodel.h"
#include "support/tempdictionary.h"
#include "testmain.h"

#include <QBuffer>
#include <QFrame>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace PrintCheck;
using namespace TestSupport;

namespace {

const QColor pictureBlue(0, 0, 255);

QImage bluePicture()
{
    QImage picture(137, 177, QImage::Format_RGB32);
    picture.fill(pictureBlue);
    return picture;
}

class RefusingSink : public ImagePageSink
{
public:
    using ImagePageSink::ImagePageSink;
    bool beginDocument(QPainter &) override { return false; }
};

} // namespace

class TestPrintCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void printsTheEntryAsShown();
    void unsavedChangesPrintAsShown();
    void cancelledDialogPrintsNothing();
    void failureReachesTheErrorBox();

private:
    void print(bool confirm);

    std::unique_ptr<TempDictionary> m_dir;
    std::unique_ptr<TFORMAPRIMERA> m_window;
    std::unique_ptr<ImagePageSink> m_pages;
};

void TestPrintCommand::init()
{
    m_dir = std::make_unique<TempDictionary>(
        QVector<Entry>{{QStringLiteral("Abeja"), QStringLiteral("Trabajo y ganancias."),
                        QStringLiteral("Números: 7 - 21"), PictureField::encode(bluePicture())}});
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    resetBeepCount();
    m_pages = std::make_unique<ImagePageSink>(a4, dpi);
    PrintOutput::setReplacement(m_pages.get());
    m_window = std::make_unique<TFORMAPRIMERA>(m_dir->path());
    m_window->Table1->first();
}

void TestPrintCommand::cleanup()
{
    m_window.reset();
    PrintOutput::setReplacement(nullptr);
    Dialogs::Script::reset();
}

void TestPrintCommand::print(bool confirm)
{
    Dialogs::Script::printResult(confirm);
    m_window->BitBtn214569->click();
    QCOMPARE(Dialogs::Script::pending(), 0);
}

void TestPrintCommand::printsTheEntryAsShown()
{
    print(true);
    QCOMPARE(beepCount(), 1);
    QCOMPARE(Dialogs::Script::shown().size(), 1);
    QCOMPARE(Dialogs::Script::shown().first().kind, Dialogs::Shown::Print);
    QVERIFY(!m_pages->busy());
    QCOMPARE(int(m_pages->pages().size()), 1);

    const QImage &page = m_pages->pages().front();
    const QVector<PrintBlock> blocks =
        entryBlocks({m_window->Memo123, m_window->memo9, m_window->Memo1, m_window->interpretacion,
                     m_window->memo10, m_window->DATOS, m_window->Memo11});
    QCOMPARE(blocks[1].lines, QStringList{QStringLiteral("Abeja")});
    QCOMPARE(blocks[4].lines, QStringList{QStringLiteral("Trabajo y ganancias.")});
    QImage probe = page;
    const QVector<Placed> placed = expectedLayout(blocks, &probe, a4.height());
    const QString mismatch = bandMismatch(page, placed, 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

    // The picture at (0, 225), one pixel to one printer pixel.
    QCOMPARE(page.pixel(0, 225), pictureBlue.rgb());
    QCOMPARE(page.pixel(136, 401), pictureBlue.rgb());
    QVERIFY(page.pixel(137, 401) != pictureBlue.rgb());
    QVERIFY(page.pixel(136, 402) != pictureBlue.rgb());
}

void TestPrintCommand::unsavedChangesPrintAsShown()
{
    // A meaning typed and not saved, long enough to wrap over several lines on screen.
    const QString typed = QStringLiteral(
        "Sonar con abejas que trabajan anuncia ganancias por el esfuerzo propio y buenas "
        "noticias en los negocios; si pican, disgustos pasajeros.");
    m_window->memo10->setFocus();
    m_window->memo10->selectAll();
    QTest::keyClicks(m_window->memo10, typed);
    QCOMPARE(m_window->Table1->state(), DatasetState::Edit);
    const QStringList shown = m_window->memo10->displayLines();
    QVERIFY(shown.size() > 1);

    print(true);
    QCOMPARE(int(m_pages->pages().size()), 1);
    const QVector<PrintBlock> blocks =
        entryBlocks({m_window->Memo123, m_window->memo9, m_window->Memo1, m_window->interpretacion,
                     m_window->memo10, m_window->DATOS, m_window->Memo11});
    QCOMPARE(blocks[4].lines, shown);
    QImage probe = m_pages->pages().front();
    const QString mismatch =
        bandMismatch(m_pages->pages().front(), expectedLayout(blocks, &probe, a4.height()), 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

    // Printing neither saved nor cancelled the change.
    QCOMPARE(m_window->Table1->state(), DatasetState::Edit);
    QCOMPARE(m_window->memo10->toPlainText(), typed);
    QCOMPARE(m_window->Table1->fieldText(InterpretacionOnirica),
             QStringLiteral("Trabajo y ganancias."));
}

void TestPrintCommand::cancelledDialogPrintsNothing()
{
    m_window->PANELLISTA->show();
    m_window->BOTONCANCELAR->show();
    print(false);
    QCOMPARE(beepCount(), 1);
    QCOMPARE(Dialogs::Script::shown().size(), 1);
    QVERIFY(m_window->PANELLISTA->isHidden());
    QVERIFY(m_window->BOTONCANCELAR->isHidden());
    QVERIFY(m_pages->pages().empty());
}

void TestPrintCommand::failureReachesTheErrorBox()
{
    auto refusing = std::make_unique<RefusingSink>(a4, dpi);
    PrintOutput::setReplacement(refusing.get());
    print(true);
    const QVector<Dialogs::Shown> &shown = Dialogs::Script::shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].kind, Dialogs::Shown::Message);
    QCOMPARE(shown[1].icon, Dialogs::Icon::Critical);
    QCOMPARE(shown[1].text, QStringLiteral("I/O error 101."));
    QVERIFY(!refusing->busy());
    QVERIFY(refusing->pages().empty() || refusing->aborted());
}

NOCTAMBU_TEST_MAIN(TestPrintCommand)
#include "tst_printcommand.moc"
