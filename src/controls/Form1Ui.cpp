#include "controls/Form1Ui.h"

#include "controls/Controls.h"
#include "lists/FolderList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

template <class T> void find(QWidget *window, T *&control, const char *name)
{
    control = window->findChild<T *>(QLatin1String(name));
    Q_ASSERT_X(control, "Form1Ui::bind", name);
}

} // namespace

#define ZEL_BIND(name) find(window, name, #name)

void Form1Ui::bind(QWidget *window)
{
    Form1 = window;
    ZEL_BIND(File5);
    ZEL_BIND(File6);
    ZEL_BIND(File7);
    ZEL_BIND(File8);
    ZEL_BIND(File9);
    ZEL_BIND(File10);
    ZEL_BIND(File11);
    ZEL_BIND(Text1);
    ZEL_BIND(Text2);
    ZEL_BIND(Text3);
    ZEL_BIND(Text4);
    ZEL_BIND(Text5);
    ZEL_BIND(Text6);
    ZEL_BIND(Check1);
    ZEL_BIND(Check2);
    ZEL_BIND(Check3);
    ZEL_BIND(Check4);
    ZEL_BIND(Check5);
    ZEL_BIND(Check6);
    ZEL_BIND(Check7);
    ZEL_BIND(Check8);
    ZEL_BIND(Option1);
    ZEL_BIND(Option2);
    ZEL_BIND(Option3);
    ZEL_BIND(Option4);
    ZEL_BIND(Option5);
    ZEL_BIND(Option7);
    ZEL_BIND(Option8);
    ZEL_BIND(Option9);
    ZEL_BIND(Option10);
    ZEL_BIND(Option11);
    ZEL_BIND(Option12);
    ZEL_BIND(Command1);
    ZEL_BIND(Command5);
    ZEL_BIND(Command6);
    ZEL_BIND(Command7);
    ZEL_BIND(Command10);
    ZEL_BIND(Command11);
    ZEL_BIND(Command12);
    ZEL_BIND(Command13);
    ZEL_BIND(Command14);
    ZEL_BIND(Command15);
    ZEL_BIND(Command16);
    ZEL_BIND(Command17);
    ZEL_BIND(Command18);
    ZEL_BIND(Command19);
    ZEL_BIND(Command20);
    ZEL_BIND(Command21);
    ZEL_BIND(Command22);
    ZEL_BIND(Command23);
    ZEL_BIND(Command24);
    ZEL_BIND(Command25);
    ZEL_BIND(Label1);
    ZEL_BIND(Label2);
    ZEL_BIND(Label6);
    ZEL_BIND(Label7);
    ZEL_BIND(Label8);
    ZEL_BIND(Label9);
    ZEL_BIND(Label10);
    ZEL_BIND(Label11);
    ZEL_BIND(Label12);
    ZEL_BIND(Label13);
    ZEL_BIND(Label14);
    ZEL_BIND(Label15);
    ZEL_BIND(Label16);
    ZEL_BIND(Label17);
    ZEL_BIND(Label18);
    ZEL_BIND(Label19);
    ZEL_BIND(Frame2);
    ZEL_BIND(Frame3);
    ZEL_BIND(Frame5);
    ZEL_BIND(Image1);
    ZEL_BIND(Drive1);
}
