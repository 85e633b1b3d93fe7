#include "DialogBuilder.h"

#include "LazySkinPixmap.h"

#include "ControlFactory.h"
#include "PaintManagerUI.h"
#include "SkinResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QUiLoader>
#include <QWidget>

#include <optional>

namespace {

QString g_lastError;

// A layout loader builds every class from our factory or the toolkit itself. The loader's
// constructor would load every designer plugin it finds in the library paths (Qt Quick and
// its network stack among them: megabytes and start-up time for nothing), so the paths are
// empty while it is made.
class NoDesignerPlugins {
public:
    NoDesignerPlugins() : m_saved(QCoreApplication::libraryPaths()) {
        QCoreApplication::setLibraryPaths({});
    }
    ~NoDesignerPlugins() { QCoreApplication::setLibraryPaths(m_saved); }
    NoDesignerPlugins(const NoDesignerPlugins&) = delete;
    NoDesignerPlugins& operator=(const NoDesignerPlugins&) = delete;

private:
    const QStringList m_saved;
};

// The toolkit's own widget classes, asked for once: the list is made anew at every call.
const QSet<QString>& BuiltinWidgetClasses() {
    static const QSet<QString> classes = [] {
        const NoDesignerPlugins noPlugins;
        QUiLoader loader;
        const QStringList names = loader.availableWidgets();
        return QSet<QString>(names.begin(), names.end());
    }();
    return classes;
}

class SkinUiLoader : public QUiLoader {
public:
    explicit SkinUiLoader(const CreateControlCallback& callback) : m_callback(callback) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = nullptr;
        if (m_callback) {
            widget = m_callback(className);
        }
        if (widget) {
            widget->setParent(parent);
        } else {
            widget = CControlFactory::Instance().CreateControl(className, parent);
        }
        if (widget) {
            widget->setObjectName(name);
            return widget;
        }
        if (BuiltinWidgetClasses().contains(className)) {
            widget = QUiLoader::createWidget(className, parent, name);
        }
        if (!widget) {
            // A class this build does not provide yet: keep its place empty.
            widget = new QWidget(parent); // owned by parent (or by the caller for a root)
            widget->setObjectName(name);
            widget->setProperty("missingClass", className);
        }
        return widget;
    }

private:
    const CreateControlCallback& m_callback;
};

} // namespace

QWidget* CDialogBuilder::Create(const QString& layout, const CreateControlCallback& callback,
                                QWidget* parent, CPaintManagerUI* manager) {
    const CSkinResources& skin = CSkinResources::Instance();
    const QString path = skin.LayoutPath(layout);
    if (path.isEmpty()) {
        g_lastError = QStringLiteral("layout not found: %1").arg(layout);
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        g_lastError = QStringLiteral("layout unreadable: %1").arg(path);
        return nullptr;
    }
    std::optional<SkinUiLoader> loader;
    {
        const NoDesignerPlugins noPlugins;
        loader.emplace(callback);
    }
    loader->setWorkingDirectory(QDir(skin.GetResourcePath()));
    QWidget* root = loader->load(&file, parent);
    if (!root) {
        g_lastError = QStringLiteral("layout invalid: %1: %2").arg(path, loader->errorString());
        return nullptr;
    }
    skin.ReloadTexts(root);
    CLazySkinPixmap::Watch(root);
    if (manager) {
        manager->AttachSubtree(root);
    }
    g_lastError.clear();
    return root;
}

QString CDialogBuilder::LastError() {
    return g_lastError;
}
