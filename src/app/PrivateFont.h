// One font file of the skin's "Font" folder, added to the program's own font set
// for as long as the object lives (or until Release).
#pragma once

#include <QString>

class CPrivateFont {
public:
    explicit CPrivateFont(QString folder);
    ~CPrivateFont();
    CPrivateFont(const CPrivateFont&) = delete;
    CPrivateFont& operator=(const CPrivateFont&) = delete;

    // Appends the relative name to the folder and adds the font; false when the
    // file is missing, unreadable or not a font.
    bool LoadFromFile(const QString& relativeName);
    void Release();
    bool IsLoaded() const { return m_fontId >= 0; }

private:
    QString m_folder;
    int m_fontId = -1;
};
