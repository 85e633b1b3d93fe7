#include "DialogBuilder.h"

#include "ControlFactory.h"
#include "PaintManagerUI.h"
#include "SkinResources.h"

#include <QDir>
#include <QFile>
#include <QUiLoader>
#include <QWidget>

namespace {

QString g_lastError;

class SkinUiLoader : public QUiLoader {
public:
    explicit SkinUiLoader(const CreateControlCallback& callback) : m_callback(callback) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = nullptr;
        if (m_callback) {
            widget = m_callback(className);
        }
        if (!widget) {
            widget = CControlFactory::Instance().CreateControl(className);
        }
        if (widget) {
            widget->setParent(parent);
            widget->setObjectName(name);
            return widget;
        }
        if (availableWidgets().contains(className)) {
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
    SkinUiLoader loader(callback);
    loader.setWorkingDirectory(QDir(skin.GetResourcePath()));
    QWidget* root = loader.load(&file, parent);
    if (!root) {
        g_lastError = QStringLiteral("layout invalid: %1: %2").arg(path, loader.errorString());
        return nullptr;
    }
    skin.ReloadTexts(root);
    if (manager) {
        manager->AttachSubtree(root);
    }
    g_lastError.clear();
    return root;
}

QString CDialogBuilder::LastError() {
    return g_lastError;
}
