#include "SkinResources.h"

#include <QComboBox>

#include "SilentScope.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <QXmlStreamReader>

namespace {

constexpr qint64 kMaxIndexBytes = 1 << 20;
constexpr qint64 kMaxLanguageBytes = 4 << 20;

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/')) {
        folder += '/';
    }
    return folder;
}

QByteArray ReadSmallFile(const QString& path, qint64 limit) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > limit) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(limit);
}

void ApplyText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setPlaceholderText(text);
    } else {
        widget->setProperty("text", text);
    }
}

} // namespace

CSkinResources& CSkinResources::Instance() {
    static CSkinResources instance;
    return instance;
}

QString CSkinResources::LocateSkinFolder() {
    const QString fromEnvironment = qEnvironmentVariable("VPC_SKIN_DIR");
    QStringList candidates;
    if (!fromEnvironment.isEmpty()) {
        candidates << fromEnvironment;
    }
    const QString programFolder = QCoreApplication::applicationDirPath();
    candidates << programFolder + "/skin" << programFolder + "/../share/vorna-control-center/skin";
#ifdef VPC_SOURCE_DIR
    candidates << QStringLiteral(VPC_SOURCE_DIR "/skin");
#endif
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate + "/res.xml").isFile()) {
            return WithSlash(QDir(candidate).absolutePath());
        }
    }
    return WithSlash(candidates.front());
}

bool CSkinResources::SetResourcePath(const QString& folder) {
    m_folder = WithSlash(folder);
    m_layouts.clear();
    m_styleSheetFile.clear();
    m_popupListBackground = QColor();
    const QByteArray index = ReadSmallFile(m_folder + "res.xml", kMaxIndexBytes);
    if (index.isEmpty()) {
        return false;
    }
    QXmlStreamReader xml(index);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("Layout")) {
            const QString name = attributes.value("name").toString().toLower();
            const QString file = attributes.value("file").toString();
            if (!name.isEmpty() && !file.isEmpty()) {
                m_layouts.insert(name, file);
            }
        } else if (xml.name() == QLatin1String("StyleSheet")) {
            m_styleSheetFile = attributes.value("file").toString();
        } else if (xml.name() == QLatin1String("PopupList")) {
            m_popupListBackground = QColor::fromString(attributes.value("background"));
        }
    }
    if (xml.hasError()) {
        qWarning("Skin index res.xml is malformed: %s", qPrintable(xml.errorString()));
        return !m_layouts.isEmpty();
    }
    return true;
}

QString CSkinResources::ResolveRelative(const QString& relative) const {
    QString cleaned = relative;
    cleaned.replace('\\', '/');
    const QString path = QDir::cleanPath(m_folder + cleaned);
    // Nothing named in a layout or an index may reach outside the skin folder.
    if (!path.startsWith(QDir::cleanPath(m_folder) + '/')) {
        return {};
    }
    return path;
}

QString CSkinResources::LayoutPath(const QString& nameOrFile) const {
    if (m_folder.isEmpty()) {
        return {};
    }
    const auto it = m_layouts.constFind(nameOrFile.toLower());
    QString path = ResolveRelative(it != m_layouts.constEnd() ? *it : nameOrFile);
    if (path.isEmpty()) {
        return {};
    }
    if (path.endsWith(".xml", Qt::CaseInsensitive)) {
        path = path.left(path.size() - 4) + ".ui";
    }
    return QFileInfo(path).isFile() ? path : QString();
}

QString CSkinResources::ImagePath(const QString& relative) const {
    if (relative.startsWith(':') || QFileInfo(relative).isAbsolute()) {
        return relative;
    }
    return ResolveRelative(relative);
}

QString CSkinResources::StyleSheet() const {
    if (m_styleSheetFile.isEmpty()) {
        return {};
    }
    QString sheet =
        QString::fromUtf8(ReadSmallFile(ResolveRelative(m_styleSheetFile), kMaxIndexBytes));
    // Image urls in the sheet are relative to the skin folder.
    sheet.replace("url(skin:", "url(" + m_folder);
    return sheet;
}

bool CSkinResources::LoadLanguage(const QString& languageName, const QString& relativeFile) {
    m_languageName = languageName;
    m_texts.clear();
    const QString path = ResolveRelative(relativeFile);
    if (path.isEmpty()) {
        return false;
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(ReadSmallFile(path, kMaxLanguageBytes), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qWarning("Language file %s is unreadable", qPrintable(path));
        return false;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString()) {
            m_texts.insert(it.key(), it.value().toString());
        }
    }
    return true;
}

QString CSkinResources::Translate(const QString& textId) const {
    const auto it = m_texts.constFind(textId);
    return it != m_texts.constEnd() ? *it : textId;
}

void CSkinResources::ReloadTexts(QWidget* root) const {
    if (!root) {
        return;
    }
    const SilentScope silent;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const QString textId = widget->property("textId").toString();
        if (!textId.isEmpty()) {
            ApplyText(widget, Translate(textId));
        }
        const QString toolTipId = widget->property("toolTipId").toString();
        if (!toolTipId.isEmpty()) {
            widget->setToolTip(Translate(toolTipId));
        }
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i) {
                const QString itemId = combo->itemData(i, kItemTextIdRole).toString();
                if (!itemId.isEmpty()) {
                    combo->setItemText(i, ItemText(itemId, combo->itemData(i, kItemTextArgRole)));
                }
            }
        }
    }
}

QString CSkinResources::ItemText(const QString& textId, const QVariant& number) const {
    const QString text = Translate(textId);
    return number.isValid() ? text.arg(number.toInt()) : text;
}

void CSkinResources::Clear() {
    m_folder.clear();
    m_layouts.clear();
    m_styleSheetFile.clear();
    m_popupListBackground = QColor();
    m_languageName.clear();
    m_texts.clear();
}
