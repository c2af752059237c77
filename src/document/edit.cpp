#include "document/edit.h"

#include "util/fso.h"
#include "util/misc.h"

#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <unistd.h>

namespace edit {

namespace {

// Info files are a few hundred bytes; anything far larger is not one, and reading it whole
// would only cost memory.
constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

QString latin(const char* text)
{
    return QString::fromLatin1(text);
}

// Nearest whole number, a half going to the even neighbour (independent of the floating
// point environment's rounding mode).
double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5)
        return floor;
    if (fraction > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

// The value split at every single space (two spaces in a row give an empty part), as far as
// the first three parts: only those are read, so a value of millions of parts costs no more
// than a short one. Fewer when the value has fewer.
QStringList fogParts(const QString& value)
{
    QStringList parts;
    qsizetype start = 0;
    while (parts.size() < 3) {
        const qsizetype space = value.indexOf(QLatin1Char(' '), start);
        parts.append(value.mid(start, space < 0 ? -1 : space - start));
        if (space < 0)
            break;
        start = space + 1;
    }
    return parts;
}

// Why the bytes of an info file are not loaded; empty text when they are.
QString unloadable(const QString& path, const QByteArray& bytes)
{
    if (bytes.size() > maximumFileSize)
        return QStringLiteral("The info file \"%1\" is too large to be a track info file.")
            .arg(fso::displayPath(path));
    // A text file never holds a NUL. This is some other file under the info file's name,
    // and a save would replace it with the few "tags" found in it.
    if (bytes.contains('\0'))
        return QStringLiteral("The info file \"%1\" is not a text file (it holds binary "
                              "data), so it was not loaded.")
            .arg(fso::displayPath(path));
    return {};
}

// Reads the whole file, or says why it could not.
QString readFile(const QString& path, QByteArray& bytes)
{
    // Opened by the file system's bytes: QFile would open the path as UTF-8 text.
    const int fd = ::open(fso::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const QString notOpened = QStringLiteral("The info file \"%1\" could not be opened: %2");
    if (fd < 0) {
        const int error = errno;
        return notOpened.arg(fso::displayPath(path), qt_error_string(error));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return notOpened.arg(fso::displayPath(path), file.errorString());
    }
    if (file.size() > maximumFileSize)
        return QStringLiteral(
                   "The info file \"%1\" is too large (%2 bytes) to be a track info file.")
            .arg(fso::displayPath(path))
            .arg(file.size());
    bytes = file.read(maximumFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("The info file \"%1\" could not be read: %2")
            .arg(fso::displayPath(path), file.errorString());
    return unloadable(path, bytes);
}

// A fast hash of the file's bytes: it only has to tell this file's versions apart.
size_t contentHash(const QByteArray& bytes)
{
    return qHash(QByteArrayView(bytes), 0x4b495445);
}

// Fills the list with a row per record of the document.
void appendRows(const State& state, EditorView& view)
{
    for (const cInfTag& tag : state.tagList)
        view.appendRow(tag.tagLabel.toLower(), tag.tagLabel, tag.tagValue);
}

// What the editors show of the document itself: name, author, folder, sliders and numeric
// fields (the fog colour is shown only when it can be read, see fillEditors).
void showDocumentValues(const State& state, EditorView& view)
{
    const NameAndAuthor name = splitNameAndAuthor(getTagValue(state, QStringLiteral("name")));
    view.showNameAndAuthor(name.name, name.author);
    view.showFolderName(folderName(view.selectedFolder()));

    for (int i = 0; i < sliderCount; ++i) {
        const QString value = getTagValue(state, latin(sliderTags[i]));
        view.setSliderPosition(i, sliderPositionFor(value, sliderMinimum[i], sliderMaximum[i]));
    }
    for (int i = 0; i < numericCount; ++i)
        view.setNumericText(i, getTagValue(state, latin(numericTags[i])));
}

} // namespace

QString loadTrack(State& state, EditorView& view, const QString& folderPath)
{
    // Clearing and filling the controls raise their change events; the guard keeps those
    // handlers from writing back, on every way out of this function.
    const QScopedValueRollback<bool> guard(state.loading, true);

    const InfoFileLookup info = findInfoFile(folderPath);
    const QString& path = info.path;
    // The document is emptied before the file is looked for, so a failed load leaves none.
    state.tagList = TagList();
    state.fileLoaded = false;
    state.encoding = Encoding::Windows1252;
    state.savedValues.clear();
    state.diskCopy = DiskCopy();
    view.clearRows();

    // Loading one of them at random would let Save write the track into the wrong one.
    if (!info.ambiguity.isEmpty()) {
        clearEditors(state, view);
        return info.ambiguity + QStringLiteral(" None of them was loaded.");
    }
    QString probe = path;
    if (!fso::pathExists(probe, 0)) {
        clearEditors(state, view);
        return {};
    }

    QByteArray bytes;
    const QString problem = readFile(path, bytes);
    if (!problem.isEmpty()) {
        clearEditors(state, view);
        return problem;
    }

    state.diskCopy = {path, bytes.size(), contentHash(bytes)};
    state.encoding = detectEncoding(bytes);
    state.tagList = parseDocument(decode(bytes, state.encoding));
    state.fileLoaded = true;
    appendRows(state, view);
    fillEditors(state, view);
    return {};
}

QString reloadTrack(State& state, EditorView& view, const QString& folderPath,
                    const QByteArray& bytes)
{
    // What loadTrack would not find, or would refuse, it handles itself.
    const InfoFileLookup info = findInfoFile(folderPath);
    QString probe = info.path;
    if (!info.ambiguity.isEmpty() || !fso::pathExists(probe, 0)
        || !unloadable(info.path, bytes).isEmpty())
        return loadTrack(state, view, folderPath);

    const QScopedValueRollback<bool> guard(state.loading, true);
    const Encoding encoding = detectEncoding(bytes);
    TagList fresh = parseDocument(decode(bytes, encoding), state.tagList);
    // The rows show the document (setTagValue keeps their values up to date), so where the
    // labels are unchanged only the values that the save changed need showing anew, such as
    // a value whose trailing space the file does not keep.
    bool sameLabels = fresh.count() == state.tagList.count();
    for (int i = 0; sameLabels && i < fresh.count(); ++i)
        sameLabels = fresh.at(i).tagLabel == state.tagList.at(i).tagLabel;
    if (sameLabels) {
        for (int i = 0; i < fresh.count(); ++i) {
            if (fresh.at(i).tagValue != state.tagList.at(i).tagValue)
                view.setRowValue(i, fresh.at(i).tagValue);
        }
    }
    state.tagList = std::move(fresh);
    state.fileLoaded = true;
    state.encoding = encoding;
    state.savedValues.clear();
    state.diskCopy = {info.path, bytes.size(), contentHash(bytes)};
    if (!sameLabels) {
        view.clearRows();
        appendRows(state, view);
    }
    fillEditors(state, view);
    return {};
}

QString reloadFromDisk(State& state, EditorView& view, const QString& folderPath)
{
    QByteArray bytes;
    if (!readFile(findInfoFile(folderPath).path, bytes).isEmpty())
        return loadTrack(state, view, folderPath); // which tells why it cannot load it
    return reloadTrack(state, view, folderPath, bytes);
}

bool isModified(const State& state)
{
    return !state.savedValues.isEmpty();
}

DiskState diskState(const State& state)
{
    const DiskCopy& copy = state.diskCopy;
    if (copy.path.isEmpty())
        return DiskState::Missing;
    const QFileInfo now(copy.path);
    if (!now.isFile())
        return DiskState::Missing;
    if (now.size() != copy.size)
        return DiskState::Changed;
    // A file that cannot be read now is judged by its size alone.
    QByteArray bytes;
    if (!readFile(copy.path, bytes).isEmpty() || contentHash(bytes) == copy.hash)
        return DiskState::Unchanged;
    return DiskState::Changed;
}

QString getTagValue(const State& state, const QString& label)
{
    const cInfTag* tag = state.tagList.find(label);
    return tag ? tag->tagValue : QString();
}

void setTagValue(State& state, EditorView& view, const QString& label, const QString& value)
{
    const int index = state.tagList.indexOf(label);
    if (index >= 0)
        setTagValueAt(state, view, index, value);
}

void setTagValueAt(State& state, EditorView& view, int index, const QString& value)
{
    if (index < 0 || index >= state.tagList.count())
        return;
    cInfTag& tag = state.tagList[index];
    const auto saved = state.savedValues.constFind(index);
    if (saved == state.savedValues.cend()) {
        if (tag.tagValue != value)
            state.savedValues.insert(index, tag.tagValue);
    } else if (*saved == value) {
        state.savedValues.erase(saved);
    }
    tag.tagValue = value;
    // Rows are in tag-list order, one per record, so the record's position is its row.
    if (!state.loading)
        view.setRowValue(index, value);
}

void showTagValueAt(State& state, EditorView& view, int index)
{
    if (index < 0 || index >= state.tagList.count())
        return;
    const cInfTag& tag = state.tagList.at(index);
    view.setRowValue(index, tag.tagValue);
    const QString label = tag.tagLabel.toLower();
    const auto shownBy = [&label](const char* editorLabel) {
        return label == QLatin1String(editorLabel);
    };
    const bool hasEditor = shownBy("name") || shownBy("fogcolor")
                           || std::any_of(sliderTags.begin(), sliderTags.end(), shownBy)
                           || std::any_of(numericTags.begin(), numericTags.end(), shownBy);
    // An editor shows the first record of its label; a repeated label's later lines have none.
    if (!hasEditor || state.tagList.indexOf(label) != index)
        return;
    const QScopedValueRollback<bool> guard(state.loading, true);
    if (shownBy("name")) {
        const NameAndAuthor name = splitNameAndAuthor(tag.tagValue);
        view.showNameAndAuthor(name.name, name.author);
    }
    for (int i = 0; i < sliderCount; ++i) {
        if (shownBy(sliderTags[i]))
            view.setSliderPosition(
                i, sliderPositionFor(tag.tagValue, sliderMinimum[i], sliderMaximum[i]));
    }
    for (int i = 0; i < numericCount; ++i) {
        if (shownBy(numericTags[i]))
            view.setNumericText(i, tag.tagValue);
    }
    if (shownBy("fogcolor")) {
        if (const std::optional<Rgb> colour = fogColourFrom(tag.tagValue))
            showFogSwatch(state, view, *colour);
        if (const std::optional<QString> caption = fogCaptionFrom(tag.tagValue))
            showFogCaption(state, view, *caption);
    }
}

void fillEditors(State& state, EditorView& view)
{
    const QScopedValueRollback<bool> guard(state.loading, true);
    showDocumentValues(state, view);
    // A fog colour that cannot be read leaves the swatch and the caption as they were.
    const QString fog = getTagValue(state, QStringLiteral("fogcolor"));
    if (const std::optional<Rgb> colour = fogColourFrom(fog))
        showFogSwatch(state, view, *colour);
    if (const std::optional<QString> caption = fogCaptionFrom(fog))
        showFogCaption(state, view, *caption);
}

void showEditors(State& state, EditorView& view)
{
    const QScopedValueRollback<bool> guard(state.loading, true);
    showDocumentValues(state, view);
    view.showFogSwatch(state.fogSwatch);
    view.showFogCaption(state.fogCaption);
}

void clearEditors(State& state, EditorView& view)
{
    const QScopedValueRollback<bool> guard(state.loading, true);

    view.showNameAndAuthor(QString(), QString());
    view.showFolderName(QString());
    showFogSwatch(state, view, Rgb{});
    showFogCaption(state, view, emptyFogCaption());
    for (int i = 0; i < numericCount; ++i)
        view.setNumericText(i, QString());
    for (int i = 0; i < sliderCount; ++i)
        view.setSliderPosition(i, 0);
    view.clearRows();
}

void showFogSwatch(State& state, EditorView& view, Rgb colour)
{
    state.fogSwatch = colour;
    view.showFogSwatch(colour);
}

void showFogCaption(State& state, EditorView& view, const QString& threeLines)
{
    state.fogCaption = threeLines;
    view.showFogCaption(threeLines);
}

NameAndAuthor splitNameAndAuthor(const QString& value)
{
    // Matched in place, character by character, so the position found is a position in the
    // value (full case mapping could turn one character into two), and a NAME of megabytes
    // is not copied. Only 'B' and 'Y' match "b" and "y" ignoring case, as in lower case.
    const qsizetype k = value.indexOf(QLatin1String(" by "), 0, Qt::CaseInsensitive);
    NameAndAuthor result;
    if (k < 0) {
        result.name = value;
        misc::stripQuotes(result.name);
        return result;
    }
    result.name = value.left(k);
    misc::stripQuotes(result.name);
    result.author = value.mid(k + 4);
    misc::stripQuotes(result.author);
    return result;
}

QString joinNameAndAuthor(const QString& name, const QString& author)
{
    return author.isEmpty() ? name : name + QStringLiteral(" by ") + author;
}

QString nameValue(const State& state, const QString& name, const QString& author)
{
    const int index = state.tagList.indexOf(QStringLiteral("name"));
    if (index >= 0) {
        const QString saved = state.savedValues.value(index, state.tagList.at(index).tagValue);
        const NameAndAuthor shown = splitNameAndAuthor(saved);
        if (shown.name == name && shown.author == author)
            return saved;
    }
    return joinNameAndAuthor(name, author);
}

int sliderPositionFor(const QString& value, int minimum, int maximum)
{
    if (!misc::isNumeric(value))
        return 0;
    const double number = misc::toNumber(value);
    if (number > maximum || number < minimum)
        return 0;
    return int(roundHalfEven(number));
}

std::optional<Rgb> fogColourFrom(const QString& value)
{
    const QStringList parts = fogParts(value);
    if (parts.size() < 3)
        return std::nullopt;
    int components[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (!misc::isNumeric(parts.at(i)))
            return std::nullopt;
        // Conversion to a 16-bit whole number: halves to even, then the range check.
        const double whole = roundHalfEven(misc::toNumber(parts.at(i)));
        if (whole < -32768.0 || whole > 32767.0 || whole < 0.0)
            return std::nullopt;
        components[i] = std::min(int(whole), 255);
    }
    return Rgb{components[0], components[1], components[2]};
}

std::optional<QString> fogCaptionFrom(const QString& value)
{
    const QStringList parts = fogParts(value);
    if (parts.size() < 3)
        return std::nullopt;
    return QStringLiteral("Red: ") + parts.at(0) + QStringLiteral("\nGreen: ") + parts.at(1)
        + QStringLiteral("\nBlue: ") + parts.at(2);
}

QString fogColourValue(Rgb colour)
{
    // Ends with one space, as the file has always had it; the parser trims it on reload.
    return QStringLiteral("%1 %2 %3 ").arg(colour.red).arg(colour.green).arg(colour.blue);
}

QString fogCaption(Rgb colour)
{
    return QStringLiteral("Red: %1\nGreen: %2\nBlue: %3")
        .arg(colour.red)
        .arg(colour.green)
        .arg(colour.blue);
}

QString emptyFogCaption()
{
    return QStringLiteral("Red:\nGreen:\nBlue:");
}

} // namespace edit
