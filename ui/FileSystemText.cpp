#include "ui/FileSystemText.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <numeric>

#include "core/PathText.h"

namespace orvalen::ui {

QStringList SortedForPeople(const std::vector<std::string>& names) {
    // The C locale collates by code point ("B" before "a", "10" before "2"),
    // which no one expects of a file list; English rules stand in for it.
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    QStringList texts;
    texts.reserve(static_cast<qsizetype>(names.size()));
    // One sort key per name: comparing keys is far cheaper than collating the
    // texts again at every comparison, which matters for folders of 10,000.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) {
        texts << NameFromFileSystem(name);
        keys.push_back(collator.sortKey(texts.back()));
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable, so names equal to the collator keep their byte order.
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });

    QStringList sorted;
    sorted.reserve(texts.size());
    for (std::size_t i : order) sorted << texts[static_cast<qsizetype>(i)];
    return sorted;
}

QString NameFromFileSystem(const std::string& name) { return QFile::decodeName(name.c_str()); }

std::string NameToFileSystem(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString JoinPath(const QString& folder, const QString& name) {
    return NameFromFileSystem(path::Join(NameToFileSystem(folder), NameToFileSystem(name)));
}

bool EndsWithSeparator(const QString& path) { return path::EndsWithSeparator(NameToFileSystem(path)); }

}  // namespace orvalen::ui
