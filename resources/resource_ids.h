// Resource, control, command and string IDs shared by the resource script and the code.
// The numbers are fixed: plug-ins and translated resource modules (".mui") rely on them.
#pragma once

// Resources
#define IDD_MAIN            1
#define IDD_CATEGORIES      2
#define IDD_LANGUAGES       3
#define IDD_DOWNLOAD        4
#define IDD_QUIZ            5
#define IDD_NEW_DATABASE    6
#define IDD_SPEECH          7
#define IDD_PROGRESS        8
#define IDR_MAIN_MENU       1
#define IDR_LIST_MENU       2
#define IDI_PROGRAM         1
#define IDR_EXAM_PAGE       1

// Strings
#define IDS_TITLE_FORMAT    1
#define IDS_FILTER_XML      2
#define IDS_FILTER_HTML     3
#define IDS_FILTER_DB       4
#define IDS_QUIZ_TITLE      5
#define IDS_DB_REFUSED      6
#define IDS_CONFIRM_DELETE  7
#define IDS_NOT_STORED      8
#define IDS_NOT_A_STORE     9
#define IDS_NOT_EXPORTED    10
#define IDS_NOT_IMPORTED    11
#define IDS_REVIEW_TITLE    12
#define IDS_NOTHING_DUE     13
#define IDS_NOT_FOUND       16
#define IDS_NO_REVIEW_PAIRS 30
#define IDS_NOT_RATED       31
#define IDS_REVIEW_UNREAD   32
#define IDS_STORE_BUSY      33
#define IDS_STORE_FULL      34
#define IDS_STORE_READ_ONLY 35
#define IDS_STORE_DAMAGED   36
#define IDS_STORE_NOT_WRITTEN 37
#define IDS_STORE_NOT_READ  38
#define IDS_ROWS_NOT_CHANGED 39
#define IDS_LIST_NOT_READ   40
#define IDS_PAIR_CHANGED    41
#define IDS_RECORD_NOT_STORED 42
#define IDS_NOT_SWAPPED     43
#define IDS_RECORDS_NOT_READ 44
#define IDS_PROGRESS_NOT_READ 45
#define IDS_REVIEW_FOREIGN_TABLES 46
#define IDS_NEW_PAIRS_USED_UP 47
#define IDS_GENERAL_CATEGORY 48
#define IDS_NO_CATEGORY     49
#define IDS_PAIR_EXISTS     50
#define IDS_NOT_TRANSLATED  51
#define IDS_ENTRY_INCOMPLETE 52
#define IDS_IMPORT_SUMMARY  53
#define IDS_NOT_A_WORKBOOK  54
#define IDS_DELETE_ONE      55
#define IDS_DELETE_SEVERAL  56
#define IDS_COLUMN_PHRASE   57
#define IDS_COLUMN_TRANSLATION 58
#define IDS_COLUMN_CATEGORY 59
#define IDS_COLUMN_CODE     60
#define IDS_COLUMN_NAME     61
#define IDS_EXPORTED        62
#define IDS_DOWNLOAD_SUMMARY 63

// Main window controls
#define IDC_CATEGORY        10
#define IDC_TARGET_LANGUAGE 11
#define IDC_PHRASE_LIST     12
#define IDC_SOURCE_LANGUAGE 13
#define IDC_PHRASE          20
#define IDC_TRANSLATION     21
#define IDC_ADD             30
#define IDC_UPDATE          31

// Main menu commands
#define IDM_CATEGORY_SETTINGS   100
#define IDM_LANGUAGE_SETTINGS   101
#define IDM_DOWNLOAD_VOICES     102
#define IDM_EXPORT_WORKBOOK     103
#define IDM_OPEN_DATABASE       105
#define IDM_IMPORT_WORKBOOK     106
#define IDM_QUIZ                107
#define IDM_EXPORT_CATEGORY     110
#define IDM_EXAM_CATEGORY       112
#define IDM_QUIZ_REVERSE        113
#define IDM_NEW_DATABASE        114
#define IDM_SPEECH_SETTINGS     115
#define IDM_EXAM_PER_CATEGORY   116
#define IDM_EXAM_ALL            117
#define IDM_SWAP_CATEGORY       118
#define IDM_SWAP_ALL            119
#define IDM_REVIEW              120
#define IDM_PROGRESS            121
#define IDM_FIND                122
#define IDM_FIND_NEXT           123
#define IDM_DATABASE_FIRST      200
#define IDM_DATABASE_LAST       249
#define IDM_PLUGIN_FIRST        400
#define IDM_PLUGIN_LAST         449

// Phrase list context menu commands
#define IDM_LIST_DELETE     10
#define IDM_LIST_MOVE       11
#define IDM_LIST_COPY       12

// Category and language settings dialogs
#define IDC_SETTINGS_LIST   12
#define IDC_SETTINGS_FIRST  20
#define IDC_SETTINGS_SECOND 21
#define IDC_SETTINGS_ADD    30
#define IDC_SETTINGS_UPDATE 31

// Quiz window: the template controls of one row
#define IDC_QUIZ_LABEL      10
#define IDC_QUIZ_BOX        510
#define IDC_QUIZ_SHOW       1010
#define IDC_QUIZ_SPEAK      1510
#define IDC_QUIZ_ANSWER     2010

// Bulk download dialog
#define IDC_DOWNLOAD_TEXT       10
#define IDC_DOWNLOAD_COUNTER    11
#define IDC_DOWNLOAD_PROGRESS   12

// Speech settings dialog: the radio button of engine value n is IDC_ENGINE_FIRST + n
#define IDC_ENGINE_FIRST    20
#define IDC_ENGINE_LAST     23
#define IDC_VOICE           30
#define IDC_SPEECH_OK       11

// New database dialog
#define IDC_NEW_DB_NAME     10
#define IDC_NEW_DB_OK       11

// Progress dialog
#define IDC_PROGRESS_NEW        10
#define IDC_PROGRESS_LEARNING   11
#define IDC_PROGRESS_MATURE     12
#define IDC_PROGRESS_DUE        13
#define IDC_PROGRESS_RATED      14
#define IDC_PROGRESS_RETENTION  15
#define IDC_PROGRESS_CHART      20
