#include <QTest>
class TestFileModel : public QObject { Q_OBJECT private slots: void none() {} };
QTEST_GUILESS_MAIN(TestFileModel)
#include "tst_filemodel.moc"
