// The search and replace dialog on a fake window holding the two demo characters: its
// rows are the core's results, shown 1-based; a row shows its field; a replace is listed
// first, refused whole when one change cannot be made, and applied once per character
// exactly as listed - never from a stale list.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "DemoData.h"
#include "document/CharacterDocument.h"
#include "editor/FindDialog.h"
#include "macro/Cp932.h"
#include "platform/QtText.h"
#include "support/TempDir.h"

using namespace qm;
using namespace qm::test;

namespace {

struct FakeHost : FindHost {
    std::vector<QString> labels;
    std::vector<MacroBooks> books;
    int shown = 0;
    std::vector<std::pair<int, FieldRef>> showCalls;
    std::vector<std::pair<int, std::vector<FieldReplacement>>> applyCalls;

    int CharacterCount() const override { return int(books.size()); }
    int ShownCharacter() const override { return shown; }
    QString CharacterLabel(int c) const override { return labels[std::size_t(c)]; }
    const MacroBooks& CharacterBooks(int c) const override { return books[std::size_t(c)]; }
    void ShowField(int c, FieldRef where) override { showCalls.emplace_back(c, where); }
    void ApplyReplacements(int c, const std::vector<FieldReplacement>& changes) override {
        applyCalls.emplace_back(c, changes);
        for (const FieldReplacement& change : changes) {
            auto field = FieldBytesOf(books[std::size_t(c)].File(change.where.File()),
                                      change.where.macro, change.where.field);
            std::copy(change.bytes.begin(), change.bytes.end(), field.begin());
        }
    }
};

// One listed row as the player reads it, turned back into 0-based places.
struct Row {
    int character;
    FieldRef where;
    QString text;
    bool operator==(const Row&) const = default;
};

constexpr FieldRef kTokenField{3, 0, 0, 1};
constexpr FieldRef kFullLine{4, 0, 0, 1};

struct Fixture {
    TempDir dir;
    std::vector<std::unique_ptr<CharacterDocument>> documents;
    FakeHost host;
    std::unique_ptr<FindDialog> dialog;
    std::u16string token;  // the text of the phrase in kTokenField

    Fixture() {
        if (!demo::WriteDemoGame(dir.Path())) qFatal("no demo game");
        for (const char* name : {demo::kCleanCharacter, demo::kDamagedCharacter}) {
            auto opened = CharacterDocument::Open(dir.Text("USER/" + std::string(name)));
            if (!opened.document) qFatal("demo character did not open");
            documents.push_back(std::move(opened.document));
            host.labels.push_back(QString::fromLatin1(name));
        }
        // An auto-translate phrase between text: "/p ⟦AT-…⟧ ケアル".
        std::vector<uint8_t> bytes = Cp932Encode(u"/p ");
        for (uint8_t b : {0xFD, 0x02, 0x02, 0x01, 0x0D, 0xFD}) bytes.push_back(b);
        for (uint8_t b : Cp932Encode(u" ケアル")) bytes.push_back(b);
        if (!documents[0]->SetFieldBytes(kTokenField, bytes)) qFatal("no token field");
        const std::u16string text = documents[0]->FieldText(kTokenField);
        token = text.substr(3, text.size() - 3 - 4);
        for (const auto& d : documents) host.books.push_back(d->Books());
        dialog = std::make_unique<FindDialog>(host, nullptr);
    }

    template <class T>
    T* Get(const char* name) const {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!widget) qFatal("no %s", name);
        return widget;
    }
    QTreeWidget* List() const { return Get<QTreeWidget>("lvFindResults"); }
    QString Note() const { return Get<QLabel>("stFindNote")->text(); }
    bool CanReplace() const { return Get<QPushButton>("cmdReplace")->isEnabled(); }

    void Ask(std::u16string_view pattern, bool regex, bool all, bool titles = true,
             bool lines = true, std::u16string_view replacement = u"") {
        Get<QLineEdit>("efFindPattern")->setText(Q(pattern));
        Get<QLineEdit>("efReplaceWith")->setText(Q(replacement));
        Get<QCheckBox>("chkFindRegex")->setChecked(regex);
        Get<QCheckBox>("chkFindAll")->setChecked(all);
        Get<QCheckBox>("chkFindTitles")->setChecked(titles);
        Get<QCheckBox>("chkFindLines")->setChecked(lines);
    }
    void Press(const char* button) const {
        QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton);
    }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        QTreeWidget* list = List();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            const QString field = item->text(4);
            const int line = field == QStringLiteral("タイトル")      ? 0
                             : field.endsWith(QStringLiteral("行目")) ? field.chopped(2).toInt()
                                                                      : -1;
            const auto c = std::find(host.labels.begin(), host.labels.end(), item->text(0));
            rows.push_back({int(c - host.labels.begin()),
                            {item->text(1).toInt() - 1, item->text(2).toInt() - 1,
                             item->text(3).toInt() - 1, line},
                            item->text(5)});
        }
        return rows;
    }
    // What the core finds in each character the query covers.
    std::vector<Row> CoreRows(std::u16string_view pattern, bool regex, std::vector<int> characters,
                              SearchScope scope) const {
        std::vector<Row> rows;
        for (int c : characters)
            for (const FieldMatches& hit :
                 FindInBooks(host.books[std::size_t(c)], *TextPattern::Make(pattern, regex), scope))
                rows.push_back({c, hit.where, Q(hit.text)});
        return rows;
    }
    ReplacePlan CorePlan(int c, std::u16string_view pattern, bool regex,
                         std::u16string_view replacement) const {
        return PlanReplace(host.books[std::size_t(c)], *TextPattern::Make(pattern, regex),
                           replacement);
    }
};

bool Lists(const std::vector<Row>& rows, FieldRef where) {
    return std::any_of(rows.begin(), rows.end(),
                       [&](const Row& r) { return r.character == 0 && r.where == where; });
}

}  // namespace

class FindDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void listsWhatTheCoreFindsInTheCharactersAsked() {
        Fixture f;
        f.host.shown = 1;
        f.dialog->ShowFind();
        const struct {
            const char16_t* pattern;
            bool regex, all, titles, lines;
        } cases[] = {
            {u"ケアル", false, true, true, true},
            {u"ケアル", false, false, true, true},  // the shown character only
            {u"<t>", false, true, false, true},
            {u"ケアル", false, true, true, false},
            {u"^/p .*<pos>$", true, true, true, true},
            {u"02", false, true, true, true},  // inside the phrase only: not found there
        };
        for (const auto& c : cases) {
            f.Ask(c.pattern, c.regex, c.all, c.titles, c.lines);
            f.Press("cmdFind");
            const std::vector<int> characters =
                c.all ? std::vector<int>{0, 1} : std::vector<int>{f.host.shown};
            const auto expected = f.CoreRows(c.pattern, c.regex, characters, {c.titles, c.lines});
            QVERIFY(!expected.empty() || std::u16string_view(c.pattern) == u"02");
            QVERIFY2(f.Rows() == expected, qPrintable(Q(c.pattern)));
        }
        // Only whole tokens match; text around one does.
        for (const std::u16string& pattern : {f.token.substr(1, 5), f.token.substr(0, 4),
                                              f.token.substr(f.token.size() - 2) + u" ケ"}) {
            f.Ask(pattern, false, true);
            f.Press("cmdFind");
            QVERIFY2(!Lists(f.Rows(), kTokenField), qPrintable(Q(pattern)));
        }
        for (const std::u16string& pattern : {f.token, u"/p " + f.token + u" ケアル"}) {
            f.Ask(pattern, false, true);
            f.Press("cmdFind");
            QVERIFY2(Lists(f.Rows(), kTokenField), qPrintable(Q(pattern)));
        }
        // What cannot be searched is said in the dialog, the list left empty.
        const std::tuple<const char16_t*, bool, bool> unsearchable[] = {
            {u"(", true, true}, {u"", false, true}, {u"ケアル", false, false}};
        for (const auto& [pattern, regex, titles] : unsearchable) {
            f.Ask(u"ケアル", false, true);
            f.Press("cmdFind");
            QVERIFY(!f.Rows().empty());
            const QString found = f.Note();
            f.Ask(pattern, regex, true, titles, titles);
            f.Press("cmdFind");
            QVERIFY(f.Rows().empty());
            QVERIFY(!f.Note().isEmpty() && f.Note() != found);
        }

        // The books overloads are the document versions on an opened folder.
        for (const auto& d : f.documents) {
            for (const char16_t* pattern : {u"ケアル", u"<t>", u"/"}) {
                const auto p = TextPattern::Make(pattern, false);
                const auto a = FindInDocument(*d, *p), b = FindInBooks(d->Books(), *p);
                QCOMPARE(a.size(), b.size());
                for (std::size_t i = 0; i < a.size(); ++i) {
                    QVERIFY(a[i].where == b[i].where && a[i].text == b[i].text);
                    QCOMPARE(a[i].matches.size(), b[i].matches.size());
                }
                QVERIFY(PlanReplace(*d, *p, u"x") == PlanReplace(d->Books(), *p, u"x"));
            }
        }
    }

    void aRowShowsItsField() {
        Fixture f;
        f.dialog->ShowFind();
        f.Ask(u"<pos>", false, true);
        f.Press("cmdFind");
        const std::vector<Row> rows = f.Rows();
        QVERIFY(rows.size() > 4 && rows.back().character == 1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            f.host.showCalls.clear();
            QTreeWidgetItem* item = f.List()->topLevelItem(int(i));
            f.List()->scrollToItem(item);
            QTest::mouseClick(f.List()->viewport(), Qt::LeftButton, {},
                              f.List()->visualItemRect(item).center());
            QVERIFY(!f.host.showCalls.empty());
            for (const auto& [c, where] : f.host.showCalls) {
                QCOMPARE(c, rows[i].character);
                QVERIFY(where == rows[i].where);
            }
        }
    }

    // One change that cannot be made refuses the replace in every character.
    void aReplaceWithARefusalIsRefusedWhole() {
        const struct {
            const char16_t* pattern;
            bool regex;
            const char16_t* replacement;
            QString shown;  // in the refusal's row
        } cases[] = {
            {u"ケアル", false, u"ケアルガ", QStringLiteral("62/60 バイト")},
            {u"ケアル", false, u"ケアルガa", QStringLiteral("9/8 バイト")},
            {u"ケ", false, u"\u00E9", QStringLiteral("é")},
            {u"/p .*", true, u"/p x", QString()},  // would eat the phrase: named below
        };
        Fixture f;
        // Exactly 60 bytes: one more character does not fit.
        const std::u16string full = u"/p" + std::u16string(26, u'あ') + u"ケアル";
        StoreFieldText(
            FieldBytesOf(f.host.books[0].File(kFullLine.File()), kFullLine.macro, kFullLine.field),
            full);
        f.dialog->ShowReplace();
        for (const auto& c : cases) {
            f.Ask(c.pattern, c.regex, true, true, true, c.replacement);
            f.Press("cmdPlanReplace");
            std::size_t changes = 0, refused = 0;
            for (int ch : {0, 1}) {
                const ReplacePlan plan = f.CorePlan(ch, c.pattern, c.regex, c.replacement);
                changes += plan.changes.size();
                refused += plan.refused.size();
            }
            QVERIFY(refused > 0);
            QCOMPARE(f.Rows().size(), changes + refused);
            // The reason leads the refusal's text.
            const QString why = c.shown.isEmpty() ? Q(f.token) : c.shown;
            bool named = false;
            for (int i = 0; i < f.List()->topLevelItemCount(); ++i) {
                const QString text = f.List()->topLevelItem(i)->text(5);
                named |= text.startsWith(QStringLiteral("（")) &&
                         text.section(QStringLiteral("）"), 0, 0).contains(why);
            }
            QVERIFY2(named, qPrintable(why));
            QVERIFY(!f.CanReplace());
            QVERIFY(!f.Note().isEmpty());
            f.Press("cmdReplace");
            QVERIFY(f.host.applyCalls.empty());
        }
    }

    void aReplaceIsMadeOncePerCharacterExactlyAsListed() {
        Fixture f;
        f.dialog->ShowReplace();
        f.Ask(u"ケアル", false, true, true, true, u"ケアルラ");
        f.Press("cmdPlanReplace");
        QVERIFY(f.CanReplace());
        const std::size_t listed = f.Rows().size();
        QCOMPARE(listed, f.CorePlan(0, u"ケアル", false, u"ケアルラ").changes.size() +
                             f.CorePlan(1, u"ケアル", false, u"ケアルラ").changes.size());

        // The pattern changed after the list was made: listed again, nothing changed.
        f.Get<QLineEdit>("efFindPattern")->setText(QStringLiteral("ケアル <t>"));
        f.Press("cmdReplace");
        QVERIFY(f.host.applyCalls.empty());
        QCOMPARE(f.Rows().front().text, QStringLiteral("/ma ケアル <t> → /ma ケアルラ"));
        QVERIFY(f.CanReplace());
        // The books changed under the list: listed again too.
        f.Get<QLineEdit>("efFindPattern")->setText(QStringLiteral("ケアル"));
        f.Press("cmdPlanReplace");
        StoreFieldText(f.host.books[1].File(0).Line(0, 0), u"/ma ケアル <me>");
        f.Press("cmdReplace");
        QVERIFY(f.host.applyCalls.empty());
        QVERIFY(f.CanReplace());

        const ReplacePlan expected[] = {f.CorePlan(0, u"ケアル", false, u"ケアルラ"),
                                        f.CorePlan(1, u"ケアル", false, u"ケアルラ")};
        f.Press("cmdReplace");
        QCOMPARE(f.host.applyCalls.size(), std::size_t(2));
        for (int c : {0, 1}) {
            QCOMPARE(f.host.applyCalls[std::size_t(c)].first, c);
            QVERIFY(f.host.applyCalls[std::size_t(c)].second == expected[c].changes);
        }
        QVERIFY(f.Rows().empty());
        QVERIFY(!f.CanReplace());
        QVERIFY(f.Note().contains(
            QString::number(expected[0].changes.size() + expected[1].changes.size())));
        // The phrase beside the replaced text kept its bytes.
        QVERIFY(ReadFieldText(FieldBytesOf(f.host.books[0].File(kTokenField.File()),
                                           kTokenField.macro, kTokenField.field)) ==
                u"/p " + f.token + u" ケアルラ");
    }
};

QTEST_MAIN(FindDialogTest)
#include "FindDialogTest.moc"
