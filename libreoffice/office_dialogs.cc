#include "libreoffice/office_dialogs.h"

#include <algorithm>
#include <com/sun/star/awt/ItemEvent.hpp>
#include <com/sun/star/awt/MessageBoxButtons.hpp>
#include <com/sun/star/awt/MessageBoxResults.hpp>
#include <com/sun/star/awt/PushButtonType.hpp>
#include <com/sun/star/awt/Toolkit.hpp>
#include <com/sun/star/awt/XControl.hpp>
#include <com/sun/star/awt/XControlContainer.hpp>
#include <com/sun/star/awt/XControlModel.hpp>
#include <com/sun/star/awt/XDialog.hpp>
#include <com/sun/star/awt/XItemListener.hpp>
#include <com/sun/star/awt/XListBox.hpp>
#include <com/sun/star/awt/XMessageBox.hpp>
#include <com/sun/star/awt/XMessageBoxFactory.hpp>
#include <com/sun/star/awt/XTextComponent.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/ui/dialogs/ExecutableDialogResults.hpp>
#include <com/sun/star/ui/dialogs/FilePicker.hpp>
#include <com/sun/star/ui/dialogs/TemplateDescription.hpp>
#include <com/sun/star/ui/dialogs/XFilterManager.hpp>
#include <cppuhelper/implbase1.hxx>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "libreoffice/uno_text.h"

namespace valdrex::calc {

namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const char* styleName(host::MessageStyle style) {
  switch (style) {
    case host::MessageStyle::plain:
      return "plain";
    case host::MessageStyle::critical:
      return "critical";
    case host::MessageStyle::yesNoQuestion:
      return "yesNoQuestion";
    case host::MessageStyle::information:
      return "information";
    case host::MessageStyle::plainSecondDefault:
      return "plainSecondDefault";
  }
  return "plain";
}

// The test hook: answers from a file, every dialog logged, nothing shown.
class LoggedDialogs final : public OfficeDialogs {
 public:
  explicit LoggedDialogs(std::string folder) : folder_(std::move(folder)) {
    std::ifstream in(folder_ + "/answers.txt");
    for (std::string line; std::getline(in, line);) answers_.push_back(line);
  }

  host::Button messageBox(const std::string& prompt, host::MessageStyle style,
                          const std::string& title) override {
    log("message", styleName(style), title, splitLines(prompt));
    return host::asksYesNo(style) ? host::Button::yes : host::Button::ok;
  }

  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override {
    std::string answer = next_ < answers_.size() ? answers_[next_] : defaultText;
    ++next_;
    log("input", answer, title, splitLines(prompt));
    return answer;
  }

  void showList(const std::string& title, const std::string&, const std::vector<std::string>& lines,
                const std::function<void(std::size_t)>&) override {
    log("list", std::to_string(lines.size()), title, lines);
  }

  std::optional<std::string> chooseWorkbook(const std::string& title) override {
    std::string path = next_ < answers_.size() ? answers_[next_] : "";
    ++next_;
    log("file", path, title, {});
    if (path.empty()) return std::nullopt;
    return path;
  }

 private:
  void log(const std::string& kind, const std::string& field, const std::string& title,
           const std::vector<std::string>& lines) {
    std::ofstream out(folder_ + "/dialogs.txt", std::ios::app);
    out << kind << '\t' << field << '\t' << title << '\n';
    for (const std::string& line : lines) out << '\t' << line << '\n';
  }

  std::string folder_;
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
};

class ItemChosen final : public cppu::WeakImplHelper1<css::awt::XItemListener> {
 public:
  explicit ItemChosen(std::function<void(std::size_t)> chosen) : chosen_(std::move(chosen)) {}
  void SAL_CALL itemStateChanged(const css::awt::ItemEvent& event) override {
    if (event.Selected >= 0) chosen_(static_cast<std::size_t>(event.Selected));
  }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

 private:
  std::function<void(std::size_t)> chosen_;
};

// A dialog model being filled with controls, in the office's dialog units.
class DialogBuilder {
 public:
  DialogBuilder(const Reference<css::uno::XComponentContext>& context, const std::string& title,
                int width, int height)
      : context_(context) {
    auto manager = context->getServiceManager();
    model_.set(
        manager->createInstanceWithContext("com.sun.star.awt.UnoControlDialogModel", context),
        UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> props(model_, UNO_QUERY_THROW);
    props->setPropertyValue("Title", Any(ustr(title)));
    props->setPropertyValue("Width", Any(sal_Int32(width)));
    props->setPropertyValue("Height", Any(sal_Int32(height)));
    props->setPropertyValue("Closeable", Any(true));
    props->setPropertyValue("Moveable", Any(true));
  }

  Reference<css::beans::XPropertySet> add(const char* kind, const char* name, int x, int y,
                                          int width, int height) {
    Reference<css::beans::XPropertySet> control(
        model_->createInstance("com.sun.star.awt.UnoControl" + OUString::createFromAscii(kind) +
                               "Model"),
        UNO_QUERY_THROW);
    control->setPropertyValue("PositionX", Any(sal_Int32(x)));
    control->setPropertyValue("PositionY", Any(sal_Int32(y)));
    control->setPropertyValue("Width", Any(sal_Int32(width)));
    control->setPropertyValue("Height", Any(sal_Int32(height)));
    Reference<css::container::XNameContainer>(model_, UNO_QUERY_THROW)
        ->insertByName(OUString::createFromAscii(name), Any(control));
    return control;
  }

  Reference<css::beans::XPropertySet> button(const char* name, const char* label, int x, int y,
                                             css::awt::PushButtonType type) {
    auto b = add("Button", name, x, y, 50, 14);
    b->setPropertyValue("Label", Any(ustr(label)));
    b->setPropertyValue("PushButtonType", Any(sal_Int16(type)));
    return b;
  }

  Reference<css::awt::XControl> create(const Reference<css::awt::XWindowPeer>& parent) {
    Reference<css::awt::XControl> dialog(context_->getServiceManager()->createInstanceWithContext(
                                             "com.sun.star.awt.UnoControlDialog", context_),
                                         UNO_QUERY_THROW);
    dialog->setModel(Reference<css::awt::XControlModel>(model_, UNO_QUERY_THROW));
    dialog->createPeer(
        Reference<css::awt::XToolkit>(css::awt::Toolkit::create(context_), UNO_QUERY_THROW),
        parent);
    return dialog;
  }

 private:
  Reference<css::uno::XComponentContext> context_;
  Reference<css::lang::XMultiServiceFactory> model_;
};

// Shows a dialog until it is closed; 1 when closed by its OK button.
sal_Int16 execute(const Reference<css::awt::XControl>& dialog) {
  return Reference<css::awt::XDialog>(dialog, UNO_QUERY_THROW)->execute();
}

void dispose(const Reference<css::awt::XControl>& dialog) {
  Reference<css::lang::XComponent>(dialog, UNO_QUERY_THROW)->dispose();
}

// Rows a text takes in a label of about `perRow` characters.
int rowsOf(const std::string& text, std::size_t perRow) {
  int rows = 0;
  for (const std::string& line : splitLines(text)) {
    const std::size_t chars = valdrex::utf8::utf16Units(line);
    rows += static_cast<int>(chars / perRow) + 1;
  }
  return rows < 1 ? 1 : rows;
}

class ShownDialogs final : public OfficeDialogs {
 public:
  ShownDialogs(const Reference<css::uno::XComponentContext>& context,
               const Reference<css::frame::XFrame>& frame)
      : context_(context) {
    if (frame.is()) parent_.set(frame->getContainerWindow(), UNO_QUERY);
    if (!parent_.is()) parent_ = css::awt::Toolkit::create(context)->getDesktopWindow();
  }

  host::Button messageBox(const std::string& prompt, host::MessageStyle style,
                          const std::string& title) override {
    namespace buttons = css::awt::MessageBoxButtons;
    auto type = css::awt::MessageBoxType_MESSAGEBOX;
    sal_Int32 shown = buttons::BUTTONS_OK | buttons::DEFAULT_BUTTON_OK;
    switch (style) {
      case host::MessageStyle::plain:
      case host::MessageStyle::plainSecondDefault:  // OK is its only button
        break;
      case host::MessageStyle::critical:
        type = css::awt::MessageBoxType_ERRORBOX;
        break;
      case host::MessageStyle::information:
        type = css::awt::MessageBoxType_INFOBOX;
        break;
      case host::MessageStyle::yesNoQuestion:
        type = css::awt::MessageBoxType_QUERYBOX;
        shown = buttons::BUTTONS_YES_NO | buttons::DEFAULT_BUTTON_YES;
        break;
    }
    Reference<css::awt::XMessageBoxFactory> factory(css::awt::Toolkit::create(context_),
                                                    UNO_QUERY_THROW);
    auto box = factory->createMessageBox(parent_, type, shown, ustr(title), ustr(prompt));
    const sal_Int16 result = box->execute();
    if (Reference<css::lang::XComponent> c{box, UNO_QUERY}; c.is()) c->dispose();
    if (!host::asksYesNo(style)) return host::Button::ok;
    return result == css::awt::MessageBoxResults::YES ? host::Button::yes : host::Button::no;
  }

  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override {
    const int labelHeight = 10 * rowsOf(prompt, 36);
    const int height = labelHeight + 56;
    DialogBuilder b(context_, title, 200, height);
    auto label = b.add("FixedText", "prompt", 6, 6, 188, labelHeight);
    label->setPropertyValue("Label", Any(ustr(prompt)));
    label->setPropertyValue("MultiLine", Any(true));
    b.add("Edit", "answer", 6, labelHeight + 12, 188, 14)
        ->setPropertyValue("Text", Any(ustr(defaultText)));
    b.button("ok", "确定", 88, height - 20, css::awt::PushButtonType_OK)
        ->setPropertyValue("DefaultButton", Any(true));
    b.button("cancel", "取消", 144, height - 20, css::awt::PushButtonType_CANCEL);
    auto dialog = b.create(parent_);
    Reference<css::awt::XControlContainer> controls(dialog, UNO_QUERY_THROW);
    Reference<css::awt::XTextComponent> edit(controls->getControl("answer"), UNO_QUERY_THROW);
    edit->setSelection(css::awt::Selection(0, edit->getText().getLength()));
    Reference<css::awt::XWindow>(edit, UNO_QUERY_THROW)->setFocus();
    std::optional<std::string> answer;
    if (execute(dialog) == 1) answer = utf8(edit->getText());
    dispose(dialog);
    return answer;
  }

  void showList(const std::string& title, const std::string& heading,
                const std::vector<std::string>& lines,
                const std::function<void(std::size_t)>& chosen) override {
    const int headingHeight = 10 * std::max(2, rowsOf(heading, 60));
    const int height = headingHeight + 180;
    DialogBuilder b(context_, title, 320, height);
    auto label = b.add("FixedText", "heading", 6, 6, 308, headingHeight);
    label->setPropertyValue("Label", Any(ustr(heading)));
    label->setPropertyValue("MultiLine", Any(true));
    css::uno::Sequence<OUString> items(static_cast<sal_Int32>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) items.getArray()[i] = ustr(lines[i]);
    auto list = b.add("ListBox", "items", 6, headingHeight + 8, 308, 146);
    list->setPropertyValue("StringItemList", Any(items));
    list->setPropertyValue("HScroll", Any(true));
    b.button("close", "关闭", 264, height - 20, css::awt::PushButtonType_OK)
        ->setPropertyValue("DefaultButton", Any(true));
    auto dialog = b.create(parent_);
    Reference<css::awt::XListBox> box(
        Reference<css::awt::XControlContainer>(dialog, UNO_QUERY_THROW)->getControl("items"),
        UNO_QUERY_THROW);
    box->addItemListener(new ItemChosen(chosen));
    execute(dialog);
    dispose(dialog);
  }

  std::optional<std::string> chooseWorkbook(const std::string& title) override {
    namespace templates = css::ui::dialogs::TemplateDescription;
    auto picker =
        css::ui::dialogs::FilePicker::createWithMode(context_, templates::FILEOPEN_SIMPLE);
    picker->setTitle(ustr(title));
    Reference<css::ui::dialogs::XFilterManager> filters(picker, UNO_QUERY_THROW);
    filters->appendFilter(ustr("工作簿（*.xlsx、*.xlsm）"), "*.xlsx;*.xlsm");
    if (picker->execute() != css::ui::dialogs::ExecutableDialogResults::OK) return std::nullopt;
    const auto files = picker->getSelectedFiles();
    if (!files.hasElements()) return std::nullopt;
    return systemPath(files[0]);
  }

 private:
  Reference<css::uno::XComponentContext> context_;
  Reference<css::awt::XWindowPeer> parent_;
};

}  // namespace

std::string testHookFolder() {
  const char* folder = std::getenv("VALDREX_CALC_TEST_DIR");
  return folder ? folder : "";
}

std::unique_ptr<OfficeDialogs> makeOfficeDialogs(
    const Reference<css::uno::XComponentContext>& context,
    const Reference<css::frame::XFrame>& frame) {
  if (std::string folder = testHookFolder(); !folder.empty())
    return std::make_unique<LoggedDialogs>(folder);
  return std::make_unique<ShownDialogs>(context, frame);
}

}  // namespace valdrex::calc
