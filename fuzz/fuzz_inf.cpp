// Fuzz target: any bytes as a track info file. Loading must never crash, and what saving
// writes must read back as the same document:
//   parse(format(parse(x))) == parse(x)   for every line and for the whole file,
//   decode(encode(document)) parses to the same document in the file's encoding.
// The binding's value formats run over every value as well.
#include "document/InfFile.h"
#include "document/cInfTag.h"
#include "document/edit.h"
#include "util/misc.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "round trip broken: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

bool same(const cInfTag& a, const cInfTag& b)
{
    return a.tagLabel == b.tagLabel && a.tagValue == b.tagValue && a.tagComment == b.tagComment;
}

void checkSameDocument(const TagList& expected, const TagList& actual, const char* what)
{
    if (expected.count() != actual.count())
        fail(what, QStringLiteral("%1 tags became %2").arg(expected.count()).arg(actual.count()));
    for (int i = 0; i < expected.count(); ++i) {
        if (!same(expected.at(i), actual.at(i)))
            fail(what, expected.at(i).formatLine());
    }
}

void exerciseBinding(const QString& value)
{
    QString copy = value;
    misc::trimWhite(copy);
    misc::stripQuotes(copy);
    (void)misc::splitPart(value, QStringLiteral("/"), true, false, false);
    (void)misc::toNumber(value);
    (void)edit::splitNameAndAuthor(value);
    (void)edit::sliderPositionFor(value, 0, 20000);
    if (const std::optional<edit::Rgb> colour = edit::fogColourFrom(value)) {
        if (colour->red < 0 || colour->red > 255 || colour->green < 0 || colour->green > 255
            || colour->blue < 0 || colour->blue > 255)
            fail("colour component out of range", value);
    }
    (void)edit::fogCaptionFrom(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const edit::Encoding encoding = edit::detectEncoding(bytes);
    const QString text = edit::decode(bytes, encoding);

    // Line by line: every tag line survives the line rule.
    for (const QString& line : edit::splitLines(text)) {
        cInfTag first;
        first.setOrigLine(line);
        if (first.tagLabel.isEmpty())
            continue;
        const QString written = first.formatLine();
        cInfTag second;
        second.setOrigLine(written);
        if (!same(first, second))
            fail("line", line);
        exerciseBinding(first.tagValue);
    }

    // The whole file: format and parse again, then the bytes saving would write.
    const TagList document = edit::parseDocument(text);
    checkSameDocument(document, edit::parseDocument(edit::formatDocument(document)), "document");
    const edit::EncodeResult encoded = edit::encodeDocument(document, encoding);
    if (!encoded.ok)
        fail("a loaded document could not be encoded again", encoded.error);
    checkSameDocument(document, edit::parseDocument(edit::decode(encoded.bytes, encoding)),
                      "bytes");
    return 0;
}
