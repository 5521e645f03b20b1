// The navigation and application icons compiled into the program: every item of the
// navigation bar finds its icon and it draws at the bar's 40 x 40 size.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTest>

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Q_INIT_RESOURCE(icons); }
    void everyNavigationItemHasAnIcon();
};

void TestIcons::everyNavigationItemHasAnIcon() {
    const QStringList names = {"app",
                               "nav_home",
                               "nav_about",
                               "nav_mobile",
                               "nav_feedback",
                               "nav_update",
                               "nav_grade",
                               "nav_keyboard",
                               "nav_traffic_rules",
                               "nav_traffic_signs",
                               "nav_police_gestures",
                               "nav_accident",
                               "nav_meter",
                               "nav_judge",
                               "nav_animation",
                               "nav_bank",
                               "nav_chapter",
                               "nav_sequence",
                               "nav_random",
                               "nav_special",
                               "nav_wrong",
                               "nav_exam",
                               "nav_score_chart",
                               "nav_weak_chapters",
                               "nav_review",
                               "nav_favourite",
                               "nav_pass_estimate"};
    for (const QString& name : names) {
        const QIcon icon(":/icons/" + name + ".svg");
        const QImage drawn = icon.pixmap(40, 40).toImage();
        QVERIFY2(drawn.size() == QSize(40, 40), qPrintable(name));
        // Drawn, not blank: the tile's centre carries colour.
        QVERIFY2(drawn.pixelColor(20, 20).alpha() == 255, qPrintable(name));
    }
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
