// The skin folder of the program: the layout index "res.xml", paths of layouts,
// images and the style sheet, and the texts of the current language file.
#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QVariant>

class QWidget;

class CSkinResources {
public:
    static CSkinResources& Instance();

    // Finds the skin folder: $VPC_SKIN_DIR, "skin" beside the program, the
    // installed share folder, then the source tree.
    static QString LocateSkinFolder();

    // Sets the folder (ending with a slash) and loads its "res.xml"; false when the
    // index is missing or unreadable (the program then has no layouts).
    bool SetResourcePath(const QString& folder);
    QString GetResourcePath() const { return m_folder; }

    // A layout name from "res.xml" ("XML_MAIN") or a relative file name
    // ("XML\\CustomControlXML\\DeviceProfile.xml") to the .ui file on disk; empty
    // when there is none.
    QString LayoutPath(const QString& nameOrFile) const;
    QString ImagePath(const QString& relative) const;
    QString StyleSheet() const;
    // The background of the lists that choice boxes open ("PopupList" in "res.xml");
    // invalid when the skin names none. The toolkit draws their frame from its palette,
    // which style sheets do not reach.
    QColor PopupListBackground() const { return m_popupListBackground; }

    // Loads a language file (flat JSON object of text id to text), relative to the
    // skin folder. A missing file leaves no texts: ids then show as themselves.
    bool LoadLanguage(const QString& languageName, const QString& relativeFile);
    QString LanguageName() const { return m_languageName; }
    QString Translate(const QString& textId) const;
    bool HasText(const QString& textId) const { return m_texts.contains(textId); }
    // Sets every control below root that carries a "textId" again from the texts, and the
    // combo box items that carry a text id in kItemTextIdRole (with the number in
    // kItemTextArgRole, when there is one, filled into the text's "%1").
    void ReloadTexts(QWidget* root) const;
    static constexpr int kItemTextIdRole = 0x0100 + 0x7E1; // Qt::UserRole + 0x7E1
    static constexpr int kItemTextArgRole = 0x0100 + 0x7E2;
    // The text of an item with a text id and an optional number, in the current language.
    QString ItemText(const QString& textId, const QVariant& number) const;

    void Clear();

private:
    QString ResolveRelative(const QString& relative) const;

    QString m_folder;
    QHash<QString, QString> m_layouts; // lower-case name -> relative file
    QString m_styleSheetFile;
    QColor m_popupListBackground;
    QString m_languageName;
    QHash<QString, QString> m_texts;
};
