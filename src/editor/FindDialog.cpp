#include "editor/FindDialog.h"

#include <QBrush>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/QtText.h"

namespace qm {

namespace {

enum Column { kCharacter, kBook, kSet, kMacro, kField, kText, kColumnCount };

// Where a row's field is, kept on its first column.
constexpr int kCharacterRole = Qt::UserRole;
constexpr int kBookRole = Qt::UserRole + 1;
constexpr int kSetRole = Qt::UserRole + 2;
constexpr int kMacroRole = Qt::UserRole + 3;
constexpr int kFieldRole = Qt::UserRole + 4;

// One blank between characters; a surrogate pair stays together.
QString Spaced(std::u16string_view characters) {
    QString text;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0 && !QChar::isLowSurrogate(characters[i])) text += QLatin1Char(' ');
        text += QChar(characters[i]);
    }
    return text;
}

}  // namespace

FindDialog::FindDialog(FindHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("dFind"));
    setModal(false);

    auto* form = new QGridLayout;
    auto* patternLabel = new QLabel(tr("検索する文字列:"), this);
    pattern_ = new QLineEdit(this);
    pattern_->setObjectName(QStringLiteral("efFindPattern"));
    patternLabel->setBuddy(pattern_);
    form->addWidget(patternLabel, 0, 0);
    form->addWidget(pattern_, 0, 1);
    replaceLabel_ = new QLabel(tr("置換後の文字列:"), this);
    replaceWith_ = new QLineEdit(this);
    replaceWith_->setObjectName(QStringLiteral("efReplaceWith"));
    replaceWith_->setToolTip(
        tr("正規表現では $& が見つかった文字列、$1 から $9 がその ( ) の部分になります。"));
    replaceLabel_->setBuddy(replaceWith_);
    form->addWidget(replaceLabel_, 1, 0);
    form->addWidget(replaceWith_, 1, 1);

    auto* options = new QHBoxLayout;
    regex_ = new QCheckBox(tr("正規表現"), this);
    regex_->setObjectName(QStringLiteral("chkFindRegex"));
    all_ = new QCheckBox(tr("すべてのキャラクター"), this);
    all_->setObjectName(QStringLiteral("chkFindAll"));
    titles_ = new QCheckBox(tr("タイトル", "search the titles"), this);
    titles_->setObjectName(QStringLiteral("chkFindTitles"));
    titles_->setChecked(true);
    lines_ = new QCheckBox(tr("行", "search the lines"), this);
    lines_->setObjectName(QStringLiteral("chkFindLines"));
    lines_->setChecked(true);
    for (QCheckBox* box : {regex_, all_, titles_, lines_}) options->addWidget(box);
    options->addStretch();
    form->addLayout(options, 2, 1);

    auto* buttons = new QVBoxLayout;
    auto button = [&](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);  // Enter finds or plans, never applies
        buttons->addWidget(b);
        return b;
    };
    find_ = button(tr("検索"), "cmdFind");
    plan_ = button(tr("置換の確認"), "cmdPlanReplace");
    replace_ = button(tr("置換する"), "cmdReplace");
    replace_->setEnabled(false);
    buttons->addStretch();
    close_ = button(tr("閉じる"), "cmdFindClose");

    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addLayout(buttons);

    results_ = new QTreeWidget(this);
    results_->setObjectName(QStringLiteral("lvFindResults"));
    results_->setColumnCount(kColumnCount);
    results_->setHeaderLabels(
        {tr("キャラクター"), tr("ブック"), tr("セット"), tr("マクロ"), tr("欄"), tr("テキスト")});
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->setAllColumnsShowFocus(true);
    results_->setSelectionMode(QAbstractItemView::SingleSelection);
    results_->header()->setStretchLastSection(true);

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("stFindNote"));
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(results_, 1);
    layout->addWidget(note_);
    resize(760, 440);

    connect(find_, &QPushButton::clicked, this, &FindDialog::Find);
    connect(plan_, &QPushButton::clicked, this, &FindDialog::PlanReplace);
    connect(replace_, &QPushButton::clicked, this, &FindDialog::Replace);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(results_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* row) { ShowRow(row); });
    connect(results_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* row) { ShowRow(row); });
    ShowMode(false);
}

void FindDialog::ShowFind() {
    ShowMode(false);
}

void FindDialog::ShowReplace() {
    ShowMode(true);
}

void FindDialog::ShowMode(bool replacing) {
    setWindowTitle(replacing ? tr("置換") : tr("検索"));
    replaceLabel_->setVisible(replacing);
    replaceWith_->setVisible(replacing);
    plan_->setVisible(replacing);
    replace_->setVisible(replacing);
    find_->setDefault(!replacing);
    plan_->setDefault(replacing);
    show();
    raise();
    activateWindow();
    pattern_->setFocus();
    pattern_->selectAll();
}

std::optional<FindDialog::Query> FindDialog::ReadQuery() {
    TextPattern::Error error;
    auto pattern = TextPattern::Make(U(pattern_->text()), regex_->isChecked(), &error);
    if (!pattern) {
        Say(error.kind == TextPattern::Error::Kind::Empty
                ? tr("検索する文字列を入力してください。")
                : tr("正規表現として読めません（%1）。").arg(QString::fromUtf8(error.detail)),
            true);
        return std::nullopt;
    }
    if (!titles_->isChecked() && !lines_->isChecked()) {
        Say(tr("「タイトル」と「行」の少なくとも一方を選んでください。"), true);
        return std::nullopt;
    }
    Query query{*pattern,
                U(replaceWith_->text()),
                SearchScope{titles_->isChecked(), lines_->isChecked(), -1},
                {}};
    const int count = host_.CharacterCount();
    if (all_->isChecked()) {
        for (int c = 0; c < count; ++c) query.characters.push_back(c);
    } else if (const int shown = host_.ShownCharacter(); shown >= 0 && shown < count) {
        query.characters.push_back(shown);
    }
    if (query.characters.empty()) {
        Say(tr("開いているキャラクターがありません。"), true);
        return std::nullopt;
    }
    return query;
}

std::vector<FindDialog::CharacterPlan> FindDialog::MakePlan(const Query& query) const {
    std::vector<CharacterPlan> plans;
    for (int c : query.characters)
        plans.push_back({c, host_.CharacterLabel(c),
                         qm::PlanReplace(host_.CharacterBooks(c), query.pattern, query.replacement,
                                         query.scope)});
    return plans;
}

QTreeWidgetItem* FindDialog::Row(int character, const QString& label, FieldRef where,
                                 const QString& text) const {
    auto* row = new QTreeWidgetItem;
    row->setText(kCharacter, label);
    row->setText(kBook, QString::number(where.book + 1));
    row->setText(kSet, QString::number(where.set + 1));
    row->setText(kMacro, QString::number(where.macro + 1));
    row->setText(kField, where.field == 0 ? tr("タイトル") : tr("%1行目").arg(where.field));
    row->setText(kText, text);
    row->setData(kCharacter, kCharacterRole, character);
    row->setData(kCharacter, kBookRole, where.book);
    row->setData(kCharacter, kSetRole, where.set);
    row->setData(kCharacter, kMacroRole, where.macro);
    row->setData(kCharacter, kFieldRole, where.field);
    for (int column : {kBook, kSet, kMacro}) row->setTextAlignment(column, Qt::AlignCenter);
    return row;
}

void FindDialog::ShowRow(const QTreeWidgetItem* row) {
    if (!row) return;
    const int character = row->data(kCharacter, kCharacterRole).toInt();
    // A character closed since the search is no longer there to show.
    if (character < 0 || character >= host_.CharacterCount()) return;
    host_.ShowField(character, FieldRef{row->data(kCharacter, kBookRole).toInt(),
                                        row->data(kCharacter, kSetRole).toInt(),
                                        row->data(kCharacter, kMacroRole).toInt(),
                                        row->data(kCharacter, kFieldRole).toInt()});
}

void FindDialog::Clear() {
    listed_.clear();
    replace_->setEnabled(false);
    results_->clear();
}

void FindDialog::Say(const QString& text, bool problem) {
    QPalette palette = note_->palette();
    palette.setColor(QPalette::WindowText,
                     problem ? QColor(190, 0, 0) : QWidget::palette().color(QPalette::WindowText));
    note_->setPalette(palette);
    note_->setText(text);
}

void FindDialog::Find() {
    Clear();
    const auto query = ReadQuery();
    if (!query) return;
    QList<QTreeWidgetItem*> rows;
    for (int c : query->characters) {
        const QString label = host_.CharacterLabel(c);
        for (const FieldMatches& hit :
             FindInBooks(host_.CharacterBooks(c), query->pattern, query->scope))
            rows.append(Row(c, label, hit.where, Q(hit.text)));
    }
    results_->addTopLevelItems(rows);
    for (int column = kCharacter; column < kText; ++column)
        results_->resizeColumnToContents(column);
    Say(rows.isEmpty() ? tr("見つかりませんでした。")
                       : tr("%1 個の欄が見つかりました。").arg(rows.size()));
}

void FindDialog::PlanReplace() {
    Clear();
    const auto query = ReadQuery();
    if (!query) return;
    ListPlan(MakePlan(*query));
}

void FindDialog::ListPlan(const std::vector<CharacterPlan>& plans, const QString& lead) {
    Clear();
    using Reason = RefusedReplacement::Reason;
    auto reason = [](const RefusedReplacement& r) {
        switch (r.reason) {
            case Reason::TooLong:
                return tr("%1/%2 バイト").arg(r.bytes).arg(r.capacity);
            case Reason::NoCp932Form:
                return tr("Shift_JIS にない文字: %1").arg(Spaced(r.characters));
            case Reason::TokenChanged:
                return tr("%1 が変わります").arg(Q(r.characters));
            case Reason::NotText:
                return tr("文字として読めないバイトがあります");
        }
        return QString();
    };
    QList<QTreeWidgetItem*> rows;
    std::size_t changes = 0, refused = 0;
    for (const CharacterPlan& p : plans) {
        // Changes and refusals in field order, as a find lists them.
        std::vector<std::pair<FieldRef, QTreeWidgetItem*>> ordered;
        for (const FieldReplacement& c : p.plan.changes)
            ordered.emplace_back(c.where, Row(p.character, p.label, c.where,
                                              tr("%1 → %2").arg(Q(c.before), Q(c.after))));
        for (const RefusedReplacement& r : p.plan.refused) {
            const QString why = reason(r);
            QTreeWidgetItem* row = Row(p.character, p.label, r.where,
                                       tr("（%1）%2 → %3").arg(why, Q(r.before), Q(r.after)));
            for (int column = 0; column < kColumnCount; ++column)
                row->setForeground(column, QBrush(QColor(190, 0, 0)));
            row->setToolTip(kText, why);
            ordered.emplace_back(r.where, row);
        }
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [where, row] : ordered) rows.append(row);
        changes += p.plan.changes.size();
        refused += p.plan.refused.size();
    }
    results_->addTopLevelItems(rows);
    for (int column = kCharacter; column < kText; ++column)
        results_->resizeColumnToContents(column);

    QString note;
    if (refused > 0) {
        // As the command line does: a replace made in part is worse than none.
        note = tr("%1 個の欄は置換できません。一部だけの置換はしないため、どの欄も変更しません。")
                   .arg(refused);
    } else if (changes > 0) {
        note = tr("%1 個の欄を置換します。確かめてから「置換する」を押してください。").arg(changes);
        listed_ = plans;
        replace_->setEnabled(true);
    } else {
        note = tr("置換する箇所はありません。");
    }
    Say(lead.isEmpty() ? note : lead + QLatin1Char(' ') + note, refused > 0 || !lead.isEmpty());
}

void FindDialog::Replace() {
    if (listed_.empty()) return;
    const auto query = ReadQuery();
    if (!query) {
        Clear();
        return;
    }
    // Planned again from what the boxes and the books hold now: only the replace that was
    // listed is made.
    const std::vector<CharacterPlan> plans = MakePlan(*query);
    const bool refused = std::any_of(
        plans.begin(), plans.end(), [](const CharacterPlan& p) { return !p.plan.refused.empty(); });
    if (plans != listed_ || refused) {
        ListPlan(plans, tr("一覧を作った後で検索の条件かマクロが変わったため、置換していません。"));
        return;
    }
    std::size_t fields = 0;
    for (const CharacterPlan& p : plans) {
        if (p.plan.changes.empty()) continue;
        host_.ApplyReplacements(p.character, p.plan.changes);
        fields += p.plan.changes.size();
    }
    Clear();
    Say(tr("%1 個の欄を置換しました。").arg(fields));
}

}  // namespace qm
