// Qt's own texts in the dialogs the program shows, with the program's
// Norwegian translation loaded as main() loads it.
#include "platform/QtServices.h"
#include "resources/Resources.h"
#include "tests/Support.h"

#include <QAbstractButton>
#include <QAbstractProxyModel>
#include <QAction>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <mutex>

using platform::MsgButtons;

namespace {

// Asked first, it answers nothing and keeps every English text Qt looks up.
class EnglishTexts : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override {
        const std::lock_guard lock(mutex_);
        texts_.insert(QString::fromUtf8(source));
        return {};
    }
    bool Contains(const QString& text) const {
        const std::lock_guard lock(mutex_);
        return texts_.contains(text);
    }

private:
    mutable std::mutex mutex_;
    mutable QSet<QString> texts_;
};

// A widget tree's button, label and action texts and tooltips, no shortcuts.
QStringList Shown(const QWidget& top) {
    QStringList shown;
    for (const auto* b : top.findChildren<QAbstractButton*>()) {
        shown << b->text() << b->toolTip();
    }
    for (const auto* l : top.findChildren<QLabel*>()) {
        shown << l->text();
    }
    for (const auto* a : top.findChildren<QAction*>()) {
        shown << a->text().section(u'\t', 0, 0) << a->toolTip();
    }
    shown.removeAll(QString());
    return shown;
}

} // namespace

class DialogTextsTest : public QObject {
    Q_OBJECT
    EnglishTexts english;

    // No text shown is one of Qt's English ones, bar those Norwegian shares.
    void NoEnglish(const QStringList& shown, const QString& where) {
        static const QStringList same = {QStringLiteral("OK"), QStringLiteral("Type")};
        for (const QString& text : shown) {
            QVERIFY2(same.contains(text) || !english.Contains(text),
                     qPrintable(where + QStringLiteral(": ") + text));
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(resources::InstallNorwegian());
        QCoreApplication::installTranslator(&english);
    }

    // Every kind of message box; both file dialogs, their columns and menus,
    // and the sizes and kinds the list gives. A caller's title shows; a name
    // with an extension keeps it. (A bare name gets one, and Qt's settings
    // file stays unwritten: e2e_file_safety.)
    void everyButtonAndLabelIsNorwegian() {
        for (const auto& [kind, count] : {std::pair{MsgButtons::OK, 1},
                                          {MsgButtons::OKCancel, 2},
                                          {MsgButtons::YesNoCancel, 3},
                                          {MsgButtons::YesNo, 2}}) {
            const auto box = platform::MakeMessageBox(nullptr, QStringLiteral("Lagre endringer?"),
                                                      QStringLiteral("Tintra"), kind,
                                                      platform::MsgIcon::Question);
            QCOMPARE(box->buttons().size(), count);
            NoEnglish(Shown(*box), QStringLiteral("message box %1").arg(static_cast<int>(kind)));
        }

        QTemporaryDir dir;
        QVERIFY(support::Write(dir.filePath(QStringLiteral("farger.kvc")), QByteArray(2000, 'x')) &&
                QDir(dir.path()).mkdir(QStringLiteral("mappe")));
        platform::FileDialogOptions options{.filter = QStringLiteral("Fargefil|*.kvc"),
                                            .initialDir = dir.path(),
                                            .fileName = QStringLiteral("Webprosjekt"),
                                            .defaultSuffix = QStringLiteral("kvc")};
        for (const auto mode : {QFileDialog::AcceptOpen, QFileDialog::AcceptSave}) {
            const auto dialog = platform::MakeFileDialog(nullptr, options, mode);
            const bool save = mode == QFileDialog::AcceptSave;
            QCOMPARE(dialog->windowTitle(), save ? QStringLiteral("Lagre som") : QString("Åpne"));
            if (save) {
                options.fileName = QStringLiteral("web.txt");
                options.title = QStringLiteral("Eksporter palett");
                const auto other = platform::MakeFileDialog(nullptr, options, mode);
                QVERIFY(other->windowTitle() == options.title &&
                        other->selectedFiles().value(0).endsWith("/web.txt"));
            }
            if (!save) {
                QAbstractProxyModel* list = dialog->proxyModel();
                auto* files = qobject_cast<QFileSystemModel*>(list->sourceModel());
                const QModelIndex root = list->mapFromSource(files->index(dir.path()));
                QTRY_COMPARE(list->rowCount(root), 2);
                // Column `column` of the entry named `name`.
                const auto cell = [&](const QString& name, int column) {
                    const int row = list->index(0, 0, root).data().toString() == name ? 0 : 1;
                    return list->index(row, column, root).data().toString();
                };
                QTRY_COMPARE(cell("mappe", 2) + "|" + cell("mappe", 1), QStringLiteral("Mappe|"));
                QCOMPARE(cell("farger.kvc", 1), QStringLiteral("1,95 KiB"));
            }
            QStringList shown = Shown(*dialog);
            QVERIFY(shown.contains(save ? QStringLiteral("&Lagre") : QString("&Åpne")));
            for (int column = 0; column < 4; ++column) {
                shown << dialog->proxyModel()->headerData(column, Qt::Horizontal).toString();
            }
            const std::unique_ptr<QMenu> menu(
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->createStandardContextMenu());
            shown << Shown(*menu);
            NoEnglish(shown, save ? QStringLiteral("Save") : QStringLiteral("Open"));
        }
        QVERIFY(english.Contains(QStringLiteral("Cancel")) &&
                english.Contains(QStringLiteral("File &name:")));
    }
};

QTEST_MAIN(DialogTextsTest)
#include "test_dialog_texts.moc"
