// The hover rules and their dispatcher on a small stand-in of the dictionary window.

#include "dictionary/hoverrules.h"
#include "hover.h"
#include "platform/appearance.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"

#include <QApplication>
#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

const QString picture = QStringLiteral("Imagen Onírica");

// The controls a rule can reach, laid out as on the window.
struct Window
{
    std::unique_ptr<QWidget> root{new QWidget};
    QFrame *Panel1 = new QFrame(root.get());
    QFrame *Panel2 = new QFrame(Panel1);
    QPushButton *BitBoton9812 = new QPushButton(Panel2);
    QPushButton *BitBtn2956 = new QPushButton(Panel2);
    TRaisedLabel *Label7 = new TRaisedLabel(QStringLiteral("Añadir"), Panel1);
    QPushButton *NUEVO = new QPushButton(Panel1); // lies inside Label7
    TRaisedLabel *Label9 = new TRaisedLabel(QStringLiteral("Nombre de la Imagen Onírica:"), Panel1);
    QPlainTextEdit *memo10 = new QPlainTextEdit(Panel1);
    TRaisedLabel *Label16 = new TRaisedLabel(picture, Panel1);
    QFrame *MARCO = new QFrame(Panel1);
    QLabel *DBImage1 = new QLabel(MARCO);
    QFrame *Panel4 = new QFrame(Panel1);
    TRaisedLabel *LABEL999 = new TRaisedLabel(QStringLiteral("22:22:22"), Panel4);
    QLabel *Panel3 = new QLabel(Panel1);
    QFrame *PANELLISTA = new QFrame(Panel1);
    QListWidget *DBLOOKUPLISTBOX1 = new QListWidget(PANELLISTA);
    int promptRestores = 0;
    HoverDispatcher *dispatcher = nullptr;

    Window()
    {
        root->resize(648, 492);
        Panel1->setGeometry(8, 8, 617, 441);
        Panel2->setGeometry(448, 8, 153, 105);
        BitBoton9812->setGeometry(8, 8, 41, 41);
        BitBtn2956->setGeometry(104, 8, 41, 41);
        Label7->setGeometry(152, 8, 65, 49);
        NUEVO->setGeometry(160, 24, 49, 25);
        Label9->setGeometry(8, 72, 200, 16);
        memo10->setGeometry(8, 144, 417, 137);
        Label16->setGeometry(448, 128, 100, 16);
        MARCO->setGeometry(448, 144, 153, 193);
        DBImage1->setGeometry(8, 8, 137, 177);
        Panel4->setGeometry(448, 376, 153, 17);
        LABEL999->setGeometry(20, 2, 60, 13);
        Panel3->setGeometry(8, 400, 593, 25);
        PANELLISTA->setGeometry(8, 128, 417, 265);
        DBLOOKUPLISTBOX1->setGeometry(8, 8, 300, 200);
        PANELLISTA->hide();
        Label16->setFontColor(Colors::clNavy);
        setStatusLineColor(Panel3, Colors::clRed);

        HoverTargets targets;
        targets.statusLine = Panel3;
        targets.pictureCaption = Label16;
        targets.focusPicture = [this] {
            DBImage1->setFocus();
        };
        targets.restoreFieldPrompts = [this] {
            ++promptRestores;
        };
        DBImage1->setFocusPolicy(Qt::StrongFocus);
        dispatcher = new HoverDispatcher(root.get(), QStringLiteral("FORMAPRIMERA"), targets);
        const std::pair<QWidget *, const char *> controls[] = {
            {Panel1, "Panel1"},
            {Panel2, "Panel2"},
            {BitBoton9812, "BitBoton9812"},
            {BitBtn2956, "BitBtn2956"},
            {Label7, "Label7"},
            {NUEVO, "NUEVO"},
            {Label9, "Label9"},
            {memo10, "memo10"},
            {Label16, "Label16"},
            {MARCO, "MARCO"},
            {DBImage1, "DBImage1"},
            {Panel4, "Panel4"},
            {LABEL999, "LABEL999"},
            {Panel3, "Panel3"},
            {PANELLISTA, "PANELLISTA"},
            {DBLOOKUPLISTBOX1, "DBLOOKUPLISTBOX1"}};
        for (const auto &control : controls)
            dispatcher->addControl(control.first, QLatin1String(control.second));
    }

    QString status() const { return Panel3->text(); }
    QColor statusColor() const { return statusLineColor(Panel3); }
};

QString ruleText(const char *control)
{
    return *hoverRuleFor(QLatin1String(control))->statusText;
}

} // namespace

class TestHoverRules : public QObject
{
    Q_OBJECT
private slots:
    void tableHasOneRulePerControl();
    void statusColourIsTheLastOneSet();
    void pictureCaptionFollowsThePointer();
    void panelsAndMarginsClearOrShowContact();
    void controlsWithoutRuleChangeNothing();
    void disabledControlsCountAsTheirContainer();
    void hiddenControlsReceiveNothing();
    void listPanelTakesTheFocusToThePicture();
    void lateWidgetsAreWatchedAndTooltipsSwallowed();
};

void TestHoverRules::tableHasOneRulePerControl()
{
    QSet<QString> names;
    for (const HoverRule &rule : hoverRules()) {
        QVERIFY2(!names.contains(rule.control), qPrintable(rule.control));
        names.insert(rule.control);
        if (rule.statusText)
            QCOMPARE(rule.statusText->trimmed(), *rule.statusText);
    }
    QCOMPARE(names.size(), 31);
    for (const char *none : {"NUEVO", "DBNavigator1", "label990", "MARCO", "DBLOOKUPLISTBOX1",
                             "Memoayuda", "MASCARA", "BOTONNAIPES"})
        QVERIFY2(!hoverRuleFor(QLatin1String(none)), none);
    QVERIFY(ruleText("PANELLISTA").contains(QStringLiteral("haga \"Doble Clic\" con")));
    QVERIFY(ruleText("DBImage1").contains(QStringLiteral("Cortar)  y  (Ctrl+V")));
    const QString contact = publisherContactLine();
    QVERIFY(contact.contains(QStringLiteral("ARCANIA")));
    QVERIFY(!contact.contains(QLatin1Char('\n')));
}

void TestHoverRules::statusColourIsTheLastOneSet()
{
    Window w;
    QCOMPARE(w.status(), QString());
    hover(w.Label9);
    QCOMPARE(w.status(), ruleText("Label9"));
    QCOMPARE(w.statusColor(), Colors::clRed);

    hover(w.memo10); // lands on the memo's viewport
    QCOMPARE(w.status(), ruleText("memo10"));
    QCOMPARE(w.statusColor(), Colors::clMaroon);
    hover(w.Label9);
    QCOMPARE(w.status(), ruleText("Label9"));
    QCOMPARE(w.statusColor(), Colors::clMaroon);

    // Moving on over the same control runs the rule again, with the same effect.
    hover(w.Label9, QPoint(3, 3));
    QCOMPARE(w.status(), ruleText("Label9"));
    QCOMPARE(w.statusColor(), Colors::clMaroon);
}

void TestHoverRules::pictureCaptionFollowsThePointer()
{
    Window w;
    hover(w.DBImage1);
    QCOMPARE(w.Label16->text(), QStringLiteral("Aquí Pegará los Gráficos"));
    QCOMPARE(w.Label16->fontColor(), Colors::clBlue);
    QCOMPARE(w.statusColor(), Colors::clBlue);

    hover(w.Label16);
    QCOMPARE(w.Label16->text(), picture);
    QCOMPARE(w.Label16->fontColor(), Colors::clBlue);
    QCOMPARE(w.status(), QStringLiteral("Haga clic para cancelar la operación realizada."));

    // The frame around the picture has no rule; its bare border changes nothing.
    hover(w.MARCO, QPoint(2, 2));
    QCOMPARE(w.Label16->fontColor(), Colors::clBlue);

    hover(w.Panel1, QPoint(440, 120));
    QCOMPARE(w.Label16->text(), picture);
    QCOMPARE(w.Label16->fontColor(), Colors::clNavy);

    // The clock panel turns the caption black and leaves the status line alone.
    hover(w.memo10);
    hover(w.Panel4, QPoint(2, 2));
    QCOMPARE(w.Label16->fontColor(), Colors::clBlack);
    QCOMPARE(w.status(), ruleText("memo10"));
    QCOMPARE(w.statusColor(), Colors::clMaroon);
    hover(w.LABEL999);
    QCOMPARE(w.status(), QStringLiteral("Hora obtenida del sistema."));
    QCOMPARE(w.Label16->fontColor(), Colors::clBlack);
}

void TestHoverRules::panelsAndMarginsClearOrShowContact()
{
    Window w;
    hover(w.root.get(), QPoint(630, 300)); // right of Panel1
    QCOMPARE(w.status(), publisherContactLine());
    hover(w.Panel1, QPoint(300, 300));
    QCOMPARE(w.status(), QString());
    hover(w.Panel3);
    QCOMPARE(w.status(), publisherContactLine());
    hover(w.Panel2, QPoint(60, 80));
    QCOMPARE(w.status(), QString());
    QCOMPARE(w.statusColor(), Colors::clRed);
}

void TestHoverRules::controlsWithoutRuleChangeNothing()
{
    Window w;
    // On its way to the button the pointer crosses the caption label.
    hover(w.Label7, QPoint(2, 2));
    QCOMPARE(w.status(), ruleText("Label7"));
    hover(w.NUEVO);
    QCOMPARE(w.status(), ruleText("Label7"));
    QCOMPARE(w.statusColor(), Colors::clMaroon);

    hover(w.Panel1, QPoint(300, 300));
    hover(w.NUEVO);
    QCOMPARE(w.status(), QString());
}

void TestHoverRules::disabledControlsCountAsTheirContainer()
{
    Window w;
    hover(w.Label9);
    w.BitBoton9812->setEnabled(false);
    hover(w.BitBoton9812);
    QCOMPARE(w.status(), QString()); // Panel2's rule
    QCOMPARE(w.Label16->fontColor(), Colors::clNavy);

    hover(w.BitBtn2956);
    QCOMPARE(w.status(), QStringLiteral("Haga clic para Salir del Programa."));

    w.Label9->setEnabled(false);
    hover(w.Label9);
    QCOMPARE(w.status(), QString()); // Panel1's rule

    // A disabled button lying on a disabled caption label: Panel1 again.
    hover(w.memo10);
    w.Label7->setEnabled(false);
    w.NUEVO->setEnabled(false);
    hover(w.NUEVO);
    QCOMPARE(w.status(), QString());
    hover(w.memo10);
    hover(w.Label7, QPoint(2, 2));
    QCOMPARE(w.status(), QString());

    // With the whole toolbar panel disabled, its bare part counts as Panel1.
    hover(w.Panel4, QPoint(2, 2));
    w.Panel2->setEnabled(false);
    hover(w.BitBtn2956);
    QCOMPARE(w.Label16->fontColor(), Colors::clNavy);
}

void TestHoverRules::hiddenControlsReceiveNothing()
{
    Window w;
    hover(w.memo10);
    w.Panel3->hide();
    hover(w.Panel1, QPoint(300, 410)); // where the status line would be
    QCOMPARE(w.status(), QString());
    // Rules still set the hidden status line; it shows the last one when it reappears.
    hover(w.memo10);
    QCOMPARE(w.status(), ruleText("memo10"));
    w.Panel3->show();
    QCOMPARE(w.status(), ruleText("memo10"));
}

void TestHoverRules::listPanelTakesTheFocusToThePicture()
{
    Window w;
    w.root->show();
    w.root->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.root.get()));
    w.PANELLISTA->show();
    w.DBLOOKUPLISTBOX1->setFocus();
    QVERIFY(w.DBLOOKUPLISTBOX1->hasFocus());
    w.Label16->setFontColor(Colors::clBlue);
    w.Label16->setText(QStringLiteral("Aquí Pegará los Gráficos"));

    // The grid itself has no rule.
    hover(w.DBLOOKUPLISTBOX1);
    QVERIFY(w.DBLOOKUPLISTBOX1->hasFocus());
    QCOMPARE(w.promptRestores, 0);

    hover(w.PANELLISTA, QPoint(350, 250)); // the margin
    QCOMPARE(w.status(), ruleText("PANELLISTA"));
    QVERIFY(w.DBImage1->hasFocus());
    QCOMPARE(w.promptRestores, 1);
    QCOMPARE(w.Label16->text(), picture);
    QCOMPARE(w.Label16->fontColor(), Colors::clNavy);
    QCOMPARE(w.statusColor(), Colors::clRed);
}

void TestHoverRules::lateWidgetsAreWatchedAndTooltipsSwallowed()
{
    Window w;
    w.root->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.root.get()));

    // A widget made after the rules were installed belongs to its registered ancestor.
    auto *late = new QLabel(QStringLiteral("x"), w.Panel4);
    late->setGeometry(100, 2, 20, 13);
    late->show();
    QTRY_VERIFY(late->hasMouseTracking());
    hover(w.memo10);
    hover(late);
    QCOMPARE(w.Label16->fontColor(), Colors::clBlack);

    w.BitBtn2956->setToolTip(QStringLiteral("Salir"));
    const QPoint at = w.BitBtn2956->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, w.BitBtn2956->mapToGlobal(at));
    QApplication::sendEvent(w.BitBtn2956, &help);
    QVERIFY(!QToolTip::isVisible());
}

NOCTAMBU_TEST_MAIN(TestHoverRules)
#include "tst_hoverrules.moc"
