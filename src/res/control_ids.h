// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The resource ids of the windows, by name. Every window, control and menu command carries its
// number as object name (the tests find controls by it), but the code says what it is.
// Plain enums in a namespace each: a name reads like an entry of a resource header and is the
// int that object names, tables and lookups take. Ids repeat across dialogs (1081 is a date
// picker of the main dialog and the text of the error prompt), so each dialog has its own.

// The object name that carries an id.
inline QString idName(int id) {
    return QString::number(id);
}

// Windows built from a template, and the main dialog's menu bar.
namespace TemplateId {
enum Id : int { AboutDialog = 100, MainDialog = 102, MainMenu = 132 };
}

// The main dialog (template 102), in the window's groups.
namespace MainControl {
enum Id : int {
    // Property text fields 0..15 (text field k is TitleEdit + k); the five counts are read-only.
    TitleEdit = 1037,
    SubjectEdit = 1038,
    AuthorEdit = 1039,
    KeywordsEdit = 1040,
    CommentsEdit = 1041,
    TemplateEdit = 1042,
    LastAuthorEdit = 1043,
    RevisionEdit = 1044,
    AppNameEdit = 1045,
    CategoryEdit = 1046,
    CompanyEdit = 1047,
    PageCountEdit = 1048,
    WordCountEdit = 1049,
    CharCountEdit = 1050,
    LineCountEdit = 1051,
    ParagraphCountEdit = 1052,
    // 変更 boxes of text fields 0..10 (field k's box is TitleChange + k).
    TitleChange = 1061,
    SubjectChange = 1062,
    AuthorChange = 1063,
    KeywordsChange = 1064,
    CommentsChange = 1065,
    TemplateChange = 1066,
    LastAuthorChange = 1067,
    RevisionChange = 1068,
    AppNameChange = 1069,
    CategoryChange = 1070,
    CompanyChange = 1071,

    // Date fields 0..3: label (a borderless read-only edit), picker, 変更 box.
    EditTimeLabel = 1093,
    LastPrintedLabel = 1094,
    CreatedLabel = 1095,
    LastSavedLabel = 1096,
    EditTimePicker = 1080,
    LastPrintedPicker = 1081,
    CreatedPicker = 1082,
    LastSavedPicker = 1057,
    EditTimeChange = 1083,
    LastPrintedChange = 1084,
    CreatedChange = 1085,
    LastSavedChange = 1072,

    // "File Time Stamp" group: the mode radios in TimeStampMode order, the file-time pickers
    // (which serve the folder pane too).
    FileTimeStampGroup = 1088,
    NoChangeRadio = 1078,
    AlsoTimeStampsRadio = 1076,
    TimeStampsOnlyRadio = 1077,
    KeepTimeStampsRadio = 1089,
    FileCreatedPicker = 1086,
    FileAccessedPicker = 1090,
    FileModifiedPicker = 1079,

    // Command row: 表示 is the default button (Enter), 終了 the cancel button (Escape).
    CheckAllChanges = 1073,
    UncheckAllChanges = 1074,
    ShowFile = 1,
    BatchChange = 1059,
    Exit = 2,
    ProgressText = 1075,
    // The user-defined properties window, and how many changes it has prepared.
    CustomProperties = 1124,
    CustomPendingText = 1125,

    // File list and its options and buttons.
    SubDirSearch = 1007,
    FileKindLabel = 1021,
    FileKindCombo = 1019,
    MarkLinkedDisplay = 1060,
    FileList = 1112,
    FileSetting = 1008,
    RemoveMarkedFiles = 1009,
    ClearList = 1010,
    MarkAllFiles = 1011,
    UnmarkAllFiles = 1012,

    // "Folder Time Stamp" pane.
    FolderInfoChange = 1113,
    FolderSubFolders = 1114,
    FolderMarkLinked = 1087,
    FolderSetting = 1013,
    FolderTree = 1115,
    FolderClear = 1014,
    FolderMarkAll = 1015,
    FolderUnmarkAll = 1016,
    FolderDisplay = 1018,
    FolderChange = 1017,
};
}

// Commands of the main menu (132) and of the file list's context menu (140).
namespace MenuCommand {
enum Id : int {
    DateIncrementSetting = 32777,
    ForceGeneration = 32783,
    ApplyCsv = 32784,
    UndoRun = 32785,
    CustomProperties = 32786,
    OutputToFile = 32778,
    Help = 32776,
    Version = 32772,
    MarkSelectedFiles = 32781,
    UnmarkSelectedFiles = 32782,
    MarkedFilesToTop = 32779,
    MarkedFilesToBottom = 32780,
};
}

// The date-increment dialog (138): days, hours and minutes of the four increments, each edit
// with its spin button; the mode radios; OK and ｷｬﾝｾﾙ.
namespace IncrementControl {
enum Id : int {
    EditAccessDays = 1095,
    EditAccessDaysSpin = 1094,
    EditAccessHours = 1097,
    EditAccessHoursSpin = 1096,
    EditAccessMinutes = 1099,
    EditAccessMinutesSpin = 1098,
    PrintedDays = 1100,
    PrintedDaysSpin = 1105,
    PrintedHours = 1102,
    PrintedHoursSpin = 1101,
    PrintedMinutes = 1104,
    PrintedMinutesSpin = 1103,
    CreatedDays = 1108,
    CreatedDaysSpin = 1109,
    CreatedHours = 1110,
    CreatedHoursSpin = 1111,
    CreatedMinutes = 1112,
    CreatedMinutesSpin = 1113,
    LastSavedDays = 1114,
    LastSavedDaysSpin = 1115,
    LastSavedHours = 1116,
    LastSavedHoursSpin = 1117,
    LastSavedMinutes = 1118,
    LastSavedMinutesSpin = 1119,
    RandomRadio = 1120,
    AddRadio = 1106,
    SubtractRadio = 1107,
    Ok = 1,
    Cancel = 2,
};
}

// The error prompt (136).
namespace ErrorPromptControl {
enum Id : int { Icon = 1087, Message = 1081, Yes = 1, YesToAll = 1009, No = 2 };
}

// The export dialog (139).
namespace OutputFileControl {
enum Id : int {
    FileNameEdit = 1107,
    Browse = 1108,
    Save = 1109,
    OpenAfterSaving = 1110,
    WithCustom = 1111,
    End = 2
};
}

// The preview of a CSV to apply: its table of changes, the counts, 変更(&A) and キャンセル.
namespace ApplyPreviewControl {
enum Id : int { Changes = 1120, Counts = 1121, Apply = 1, Cancel = 2 };
}

// The list of recorded runs to undo: the runs, 元に戻す(&U) and キャンセル.
namespace UndoRunsControl {
enum Id : int { Runs = 1122, Undo = 1, Cancel = 2 };
}

// The user-defined properties window: the shown document's properties, the fields of a change
// (the value field by type: a text, a date picker, はい / いいえ), the prepared changes.
namespace CustomPropertiesControl {
enum Id : int {
    Document = 1130,
    Shown = 1131,
    NameEdit = 1132,
    TypeCombo = 1133,
    ValueEdit = 1134,
    DatePicker = 1135,
    BoolCombo = 1136,
    Set = 1137,
    Remove = 1138,
    Edits = 1139,
    DropEdit = 1140,
    DropAllEdits = 1141,
    Ok = 1,
    Cancel = 2,
};
}

// The About box (100).
namespace AboutControl {
enum Id : int { WebPage = 1080, Ok = 1 };
}
