#pragma once

#include "settings/ZRConfigurationView.h"

#include <memory>

class ZRAction;
class ZRActionEditor;

// The row of an action's editor pane: its header band shows the action's icon, and the pane's controls lie
// inside. It never shows a selection. When it leaves its window (the sidebar chose another row), the action
// lets go of its pane. The pane keeps the editor that fills it.
class ZRActionConfigurationView : public ZRConfigurationView {
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 38;

    explicit ZRActionConfigurationView(RunLoop& mainRunLoop, QWidget* parent = nullptr);
    ~ZRActionConfigurationView() override;

    int headerHeight() const override { return HeaderHeight; }
    // Held weakly: a pane outlives its action only until it leaves its window.
    void setAction(const std::shared_ptr<ZRAction>& action) { m_action = action; }
    ZRActionEditor* editor() const { return m_editor.get(); }
    void setEditor(std::shared_ptr<ZRActionEditor> editor);

    void setSelected(bool) override {}
    // As high as its content, and at least its header.
    void updateFrame() override;
    // Where the header's icon is drawn.
    QRectF iconRect() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::weak_ptr<ZRAction> m_action;
    std::shared_ptr<ZRActionEditor> m_editor;
    bool m_leavingWindow = false;
};
