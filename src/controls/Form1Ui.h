#pragma once

class ClickableLabel;
class FolderList;
class NotesBox;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Typed access to the controls that design::build() created, by their design names.
struct Form1Ui
{
    // Finds every control below `window`; a missing one is a programming error.
    void bind(QWidget *window);

    QWidget *Form1 = nullptr;

    FolderList *File5 = nullptr, *File6 = nullptr, *File7 = nullptr, *File8 = nullptr,
               *File9 = nullptr, *File10 = nullptr, *File11 = nullptr;

    QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr,
              *Text5 = nullptr;
    NotesBox *Text6 = nullptr;

    QCheckBox *Check1 = nullptr, *Check2 = nullptr, *Check3 = nullptr, *Check4 = nullptr,
              *Check5 = nullptr, *Check6 = nullptr, *Check7 = nullptr, *Check8 = nullptr;

    QRadioButton *Option1 = nullptr, *Option2 = nullptr, *Option3 = nullptr, *Option4 = nullptr,
                 *Option5 = nullptr, *Option7 = nullptr, *Option8 = nullptr, *Option9 = nullptr,
                 *Option10 = nullptr, *Option11 = nullptr, *Option12 = nullptr;

    QPushButton *Command1 = nullptr, *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr,
                *Command10 = nullptr, *Command11 = nullptr, *Command12 = nullptr,
                *Command13 = nullptr, *Command14 = nullptr, *Command15 = nullptr,
                *Command16 = nullptr, *Command17 = nullptr, *Command18 = nullptr,
                *Command19 = nullptr, *Command20 = nullptr, *Command21 = nullptr,
                *Command22 = nullptr, *Command23 = nullptr, *Command24 = nullptr,
                *Command25 = nullptr;

    ClickableLabel *Label1 = nullptr, *Label2 = nullptr, *Label6 = nullptr, *Label7 = nullptr,
                   *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr,
                   *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr,
                   *Label16 = nullptr, *Label17 = nullptr, *Label18 = nullptr, *Label19 = nullptr;

    QFrame *Frame2 = nullptr, *Frame3 = nullptr, *Frame5 = nullptr;
    QLabel *Image1 = nullptr;
    QComboBox *Drive1 = nullptr;
};
