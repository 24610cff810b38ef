#pragma once
// A settings or language file in the profile layout: "[Section]" lines, "key=value"
// lines, and comment lines that start with ';'. Sections and keys match whatever their
// case; where a section or a key appears twice, the first one counts; values are kept as
// written, without the blanks around them. A file is read as UTF-8 when its bytes are
// valid UTF-8, else as GB18030, and written as UTF-8. GUI thread only.

#include <QString>

#include <vector>

class ProfileFile
{
  public:
    // A missing or unreadable file reads as an empty one.
    static ProfileFile Load(const QString& path);

    // A null string when the section or the key is absent.
    QString Value(const QString& section, const QString& key) const;
    // The number that the value starts with (a sign, then decimal digits); `fallback`
    // when there is no such value or it does not start with a number.
    int IntValue(const QString& section, const QString& key, int fallback) const;
    // Sets the first occurrence of the key, adding the section or the key when absent.
    void SetValue(const QString& section, const QString& key, const QString& value);
    // Writes the whole file; false when it could not be written (the old file then
    // stays as it was).
    bool Save(const QString& path) const;

  private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(const QString& name) const;

    std::vector<Section> m_sections;
};
