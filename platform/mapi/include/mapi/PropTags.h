#pragma once

#include <cstdint>

// Property types and tags of the message store ([MS-OXPROPS], [MS-OXCDATA]
// 2.11.1). A tag is the property id in the high word and the type in the low
// word. String tags are the Unicode (PT_UNICODE) forms unless named _A.
namespace mapi {

constexpr std::uint16_t PT_UNSPECIFIED = 0x0000;
constexpr std::uint16_t PT_NULL = 0x0001;
constexpr std::uint16_t PT_SHORT = 0x0002;
constexpr std::uint16_t PT_LONG = 0x0003;
constexpr std::uint16_t PT_FLOAT = 0x0004;
constexpr std::uint16_t PT_DOUBLE = 0x0005;
constexpr std::uint16_t PT_CURRENCY = 0x0006;
constexpr std::uint16_t PT_APPTIME = 0x0007;
constexpr std::uint16_t PT_ERROR = 0x000A;
constexpr std::uint16_t PT_BOOLEAN = 0x000B;
constexpr std::uint16_t PT_OBJECT = 0x000D;
constexpr std::uint16_t PT_LONGLONG = 0x0014;
constexpr std::uint16_t PT_STRING8 = 0x001E;
constexpr std::uint16_t PT_UNICODE = 0x001F;
constexpr std::uint16_t PT_SYSTIME = 0x0040;
constexpr std::uint16_t PT_CLSID = 0x0048;
constexpr std::uint16_t PT_BINARY = 0x0102;
constexpr std::uint16_t MV_FLAG = 0x1000;
constexpr std::uint16_t PT_MV_SHORT = MV_FLAG | PT_SHORT;
constexpr std::uint16_t PT_MV_LONG = MV_FLAG | PT_LONG;
constexpr std::uint16_t PT_MV_DOUBLE = MV_FLAG | PT_DOUBLE;
constexpr std::uint16_t PT_MV_CURRENCY = MV_FLAG | PT_CURRENCY;
constexpr std::uint16_t PT_MV_APPTIME = MV_FLAG | PT_APPTIME;
constexpr std::uint16_t PT_MV_LONGLONG = MV_FLAG | PT_LONGLONG;
constexpr std::uint16_t PT_MV_STRING8 = MV_FLAG | PT_STRING8;
constexpr std::uint16_t PT_MV_UNICODE = MV_FLAG | PT_UNICODE;
constexpr std::uint16_t PT_MV_SYSTIME = MV_FLAG | PT_SYSTIME;
constexpr std::uint16_t PT_MV_CLSID = MV_FLAG | PT_CLSID;
constexpr std::uint16_t PT_MV_BINARY = MV_FLAG | PT_BINARY;

constexpr std::uint32_t PROP_TAG(std::uint16_t type, std::uint16_t id) { return (static_cast<std::uint32_t>(id) << 16) | type; }
constexpr std::uint16_t PROP_ID(std::uint32_t tag) { return static_cast<std::uint16_t>(tag >> 16); }
constexpr std::uint16_t PROP_TYPE(std::uint32_t tag) { return static_cast<std::uint16_t>(tag & 0xFFFF); }
constexpr std::uint32_t CHANGE_PROP_TYPE(std::uint32_t tag, std::uint16_t type) { return (tag & 0xFFFF0000u) | type; }

// First id of the named properties, mapped through the name-to-id map.
constexpr std::uint16_t kFirstNamedPropId = 0x8000;

// Message envelope and content.
constexpr std::uint32_t PR_ACKNOWLEDGEMENT_MODE = PROP_TAG(PT_LONG, 0x0001);
constexpr std::uint32_t PR_ALTERNATE_RECIPIENT_ALLOWED = PROP_TAG(PT_BOOLEAN, 0x0002);
constexpr std::uint32_t PR_IMPORTANCE = PROP_TAG(PT_LONG, 0x0017);
constexpr std::uint32_t PR_MESSAGE_CLASS = PROP_TAG(PT_UNICODE, 0x001A);
constexpr std::uint32_t PR_MESSAGE_CLASS_A = PROP_TAG(PT_STRING8, 0x001A);
constexpr std::uint32_t PR_ORIGINATOR_DELIVERY_REPORT_REQUESTED = PROP_TAG(PT_BOOLEAN, 0x0023);
constexpr std::uint32_t PR_PRIORITY = PROP_TAG(PT_LONG, 0x0026);
constexpr std::uint32_t PR_READ_RECEIPT_REQUESTED = PROP_TAG(PT_BOOLEAN, 0x0029);
constexpr std::uint32_t PR_SENSITIVITY = PROP_TAG(PT_LONG, 0x0036);
constexpr std::uint32_t PR_SUBJECT = PROP_TAG(PT_UNICODE, 0x0037);
constexpr std::uint32_t PR_SUBJECT_A = PROP_TAG(PT_STRING8, 0x0037);
constexpr std::uint32_t PR_CLIENT_SUBMIT_TIME = PROP_TAG(PT_SYSTIME, 0x0039);
constexpr std::uint32_t PR_SENT_REPRESENTING_SEARCH_KEY = PROP_TAG(PT_BINARY, 0x003B);
constexpr std::uint32_t PR_SUBJECT_PREFIX = PROP_TAG(PT_UNICODE, 0x003D);
constexpr std::uint32_t PR_RECEIVED_BY_ENTRYID = PROP_TAG(PT_BINARY, 0x003F);
constexpr std::uint32_t PR_RECEIVED_BY_NAME = PROP_TAG(PT_UNICODE, 0x0040);
constexpr std::uint32_t PR_SENT_REPRESENTING_ENTRYID = PROP_TAG(PT_BINARY, 0x0041);
constexpr std::uint32_t PR_SENT_REPRESENTING_NAME = PROP_TAG(PT_UNICODE, 0x0042);
constexpr std::uint32_t PR_RCVD_REPRESENTING_NAME = PROP_TAG(PT_UNICODE, 0x0044);
constexpr std::uint32_t PR_MESSAGE_TO_ME = PROP_TAG(PT_BOOLEAN, 0x0057);
constexpr std::uint32_t PR_MESSAGE_CC_ME = PROP_TAG(PT_BOOLEAN, 0x0058);
constexpr std::uint32_t PR_SENT_REPRESENTING_ADDRTYPE = PROP_TAG(PT_UNICODE, 0x0064);
constexpr std::uint32_t PR_SENT_REPRESENTING_EMAIL_ADDRESS = PROP_TAG(PT_UNICODE, 0x0065);
constexpr std::uint32_t PR_CONVERSATION_TOPIC = PROP_TAG(PT_UNICODE, 0x0070);
constexpr std::uint32_t PR_CONVERSATION_INDEX = PROP_TAG(PT_BINARY, 0x0071);
constexpr std::uint32_t PR_RECEIVED_BY_ADDRTYPE = PROP_TAG(PT_UNICODE, 0x0075);
constexpr std::uint32_t PR_RECEIVED_BY_EMAIL_ADDRESS = PROP_TAG(PT_UNICODE, 0x0076);
constexpr std::uint32_t PR_TRANSPORT_MESSAGE_HEADERS = PROP_TAG(PT_UNICODE, 0x007D);
constexpr std::uint32_t PR_SENDER_ENTRYID = PROP_TAG(PT_BINARY, 0x0C19);
constexpr std::uint32_t PR_SENDER_NAME = PROP_TAG(PT_UNICODE, 0x0C1A);
constexpr std::uint32_t PR_SENDER_SEARCH_KEY = PROP_TAG(PT_BINARY, 0x0C1D);
constexpr std::uint32_t PR_SENDER_ADDRTYPE = PROP_TAG(PT_UNICODE, 0x0C1E);
constexpr std::uint32_t PR_SENDER_EMAIL_ADDRESS = PROP_TAG(PT_UNICODE, 0x0C1F);
constexpr std::uint32_t PR_DELETE_AFTER_SUBMIT = PROP_TAG(PT_BOOLEAN, 0x0E01);
constexpr std::uint32_t PR_DISPLAY_BCC = PROP_TAG(PT_UNICODE, 0x0E02);
constexpr std::uint32_t PR_DISPLAY_CC = PROP_TAG(PT_UNICODE, 0x0E03);
constexpr std::uint32_t PR_DISPLAY_TO = PROP_TAG(PT_UNICODE, 0x0E04);
constexpr std::uint32_t PR_MESSAGE_DELIVERY_TIME = PROP_TAG(PT_SYSTIME, 0x0E06);
constexpr std::uint32_t PR_MESSAGE_FLAGS = PROP_TAG(PT_LONG, 0x0E07);
constexpr std::uint32_t PR_MESSAGE_SIZE = PROP_TAG(PT_LONG, 0x0E08);
constexpr std::uint32_t PR_PARENT_ENTRYID = PROP_TAG(PT_BINARY, 0x0E09);
constexpr std::uint32_t PR_SENTMAIL_ENTRYID = PROP_TAG(PT_BINARY, 0x0E0A);
constexpr std::uint32_t PR_RESPONSIBILITY = PROP_TAG(PT_BOOLEAN, 0x0E0F);
constexpr std::uint32_t PR_MESSAGE_STATUS = PROP_TAG(PT_LONG, 0x0E17);
constexpr std::uint32_t PR_HASATTACH = PROP_TAG(PT_BOOLEAN, 0x0E1B);
constexpr std::uint32_t PR_NORMALIZED_SUBJECT = PROP_TAG(PT_UNICODE, 0x0E1D);
constexpr std::uint32_t PR_RTF_IN_SYNC = PROP_TAG(PT_BOOLEAN, 0x0E1F);
constexpr std::uint32_t PR_ATTACH_SIZE = PROP_TAG(PT_LONG, 0x0E20);
constexpr std::uint32_t PR_ATTACH_NUM = PROP_TAG(PT_LONG, 0x0E21);
constexpr std::uint32_t PR_REPL_ITEMID = PROP_TAG(PT_LONG, 0x0E30);
constexpr std::uint32_t PR_REPL_CHANGENUM = PROP_TAG(PT_LONGLONG, 0x0E33);
constexpr std::uint32_t PR_REPL_VERSIONHISTORY = PROP_TAG(PT_BINARY, 0x0E34);
constexpr std::uint32_t PR_REPL_FLAGS = PROP_TAG(PT_LONG, 0x0E38);
constexpr std::uint32_t PR_REPL_COPIEDFROM_VERSIONHISTORY = PROP_TAG(PT_BINARY, 0x0E3C);
constexpr std::uint32_t PR_REPL_COPIEDFROM_ITEMID = PROP_TAG(PT_BINARY, 0x0E3D);
constexpr std::uint32_t PR_BODY = PROP_TAG(PT_UNICODE, 0x1000);
constexpr std::uint32_t PR_BODY_A = PROP_TAG(PT_STRING8, 0x1000);
constexpr std::uint32_t PR_RTF_SYNC_BODY_CRC = PROP_TAG(PT_LONG, 0x1006);
constexpr std::uint32_t PR_RTF_SYNC_BODY_COUNT = PROP_TAG(PT_LONG, 0x1007);
constexpr std::uint32_t PR_RTF_SYNC_BODY_TAG = PROP_TAG(PT_UNICODE, 0x1008);
constexpr std::uint32_t PR_RTF_COMPRESSED = PROP_TAG(PT_BINARY, 0x1009);
constexpr std::uint32_t PR_RTF_SYNC_PREFIX_COUNT = PROP_TAG(PT_LONG, 0x1010);
constexpr std::uint32_t PR_RTF_SYNC_TRAILING_COUNT = PROP_TAG(PT_LONG, 0x1011);
constexpr std::uint32_t PR_HTML = PROP_TAG(PT_BINARY, 0x1013);
constexpr std::uint32_t PR_BODY_HTML = PROP_TAG(PT_UNICODE, 0x1013);
constexpr std::uint32_t PR_INTERNET_MESSAGE_ID = PROP_TAG(PT_UNICODE, 0x1035);
constexpr std::uint32_t PR_ITEM_TEMPORARY_FLAGS = PROP_TAG(PT_LONG, 0x1097);
constexpr std::uint32_t PR_NATIVE_BODY_INFO = PROP_TAG(PT_LONG, 0x1016);

// Object identity and common object properties.
constexpr std::uint32_t PR_ACCESS = PROP_TAG(PT_LONG, 0x0FF4);
constexpr std::uint32_t PR_INSTANCE_KEY = PROP_TAG(PT_BINARY, 0x0FF6);
constexpr std::uint32_t PR_ACCESS_LEVEL = PROP_TAG(PT_LONG, 0x0FF7);
constexpr std::uint32_t PR_RECORD_KEY = PROP_TAG(PT_BINARY, 0x0FF9);
constexpr std::uint32_t PR_STORE_RECORD_KEY = PROP_TAG(PT_BINARY, 0x0FFA);
constexpr std::uint32_t PR_STORE_ENTRYID = PROP_TAG(PT_BINARY, 0x0FFB);
constexpr std::uint32_t PR_OBJECT_TYPE = PROP_TAG(PT_LONG, 0x0FFE);
constexpr std::uint32_t PR_ENTRYID = PROP_TAG(PT_BINARY, 0x0FFF);
constexpr std::uint32_t PR_DISPLAY_NAME = PROP_TAG(PT_UNICODE, 0x3001);
constexpr std::uint32_t PR_DISPLAY_NAME_A = PROP_TAG(PT_STRING8, 0x3001);
constexpr std::uint32_t PR_ADDRTYPE = PROP_TAG(PT_UNICODE, 0x3002);
constexpr std::uint32_t PR_EMAIL_ADDRESS = PROP_TAG(PT_UNICODE, 0x3003);
constexpr std::uint32_t PR_COMMENT = PROP_TAG(PT_UNICODE, 0x3004);
constexpr std::uint32_t PR_CREATION_TIME = PROP_TAG(PT_SYSTIME, 0x3007);
constexpr std::uint32_t PR_LAST_MODIFICATION_TIME = PROP_TAG(PT_SYSTIME, 0x3008);
constexpr std::uint32_t PR_SEARCH_KEY = PROP_TAG(PT_BINARY, 0x300B);
constexpr std::uint32_t PR_VALID_FOLDER_MASK = PROP_TAG(PT_LONG, 0x35DF);
constexpr std::uint32_t PR_IPM_SUBTREE_ENTRYID = PROP_TAG(PT_BINARY, 0x35E0);
constexpr std::uint32_t PR_IPM_OUTBOX_ENTRYID = PROP_TAG(PT_BINARY, 0x35E2);
constexpr std::uint32_t PR_IPM_WASTEBASKET_ENTRYID = PROP_TAG(PT_BINARY, 0x35E3);
constexpr std::uint32_t PR_IPM_SENTMAIL_ENTRYID = PROP_TAG(PT_BINARY, 0x35E4);
constexpr std::uint32_t PR_VIEWS_ENTRYID = PROP_TAG(PT_BINARY, 0x35E5);
constexpr std::uint32_t PR_COMMON_VIEWS_ENTRYID = PROP_TAG(PT_BINARY, 0x35E6);
constexpr std::uint32_t PR_FINDER_ENTRYID = PROP_TAG(PT_BINARY, 0x35E7);
constexpr std::uint32_t PR_STORE_SUPPORT_MASK = PROP_TAG(PT_LONG, 0x340D);
constexpr std::uint32_t PR_STORE_STATE = PROP_TAG(PT_LONG, 0x340E);
constexpr std::uint32_t PR_MDB_PROVIDER = PROP_TAG(PT_BINARY, 0x3414);
constexpr std::uint32_t PR_PST_PASSWORD = PROP_TAG(PT_LONG, 0x67FF);

// Folders.
constexpr std::uint32_t PR_CONTAINER_FLAGS = PROP_TAG(PT_LONG, 0x3600);
constexpr std::uint32_t PR_FOLDER_TYPE = PROP_TAG(PT_LONG, 0x3601);
constexpr std::uint32_t PR_CONTENT_COUNT = PROP_TAG(PT_LONG, 0x3602);
constexpr std::uint32_t PR_CONTENT_UNREAD = PROP_TAG(PT_LONG, 0x3603);
constexpr std::uint32_t PR_SUBFOLDERS = PROP_TAG(PT_BOOLEAN, 0x360A);
constexpr std::uint32_t PR_CONTAINER_CLASS = PROP_TAG(PT_UNICODE, 0x3613);
constexpr std::uint32_t PR_ASSOC_CONTENT_COUNT = PROP_TAG(PT_LONG, 0x3617);
constexpr std::uint32_t PR_IPM_APPOINTMENT_ENTRYID = PROP_TAG(PT_BINARY, 0x36D0);
constexpr std::uint32_t PR_IPM_CONTACT_ENTRYID = PROP_TAG(PT_BINARY, 0x36D1);
constexpr std::uint32_t PR_IPM_JOURNAL_ENTRYID = PROP_TAG(PT_BINARY, 0x36D2);
constexpr std::uint32_t PR_IPM_NOTE_ENTRYID = PROP_TAG(PT_BINARY, 0x36D3);
constexpr std::uint32_t PR_IPM_TASK_ENTRYID = PROP_TAG(PT_BINARY, 0x36D4);
constexpr std::uint32_t PR_IPM_DRAFTS_ENTRYID = PROP_TAG(PT_BINARY, 0x36D7);
constexpr std::uint32_t PR_PST_HIDDEN_COUNT = PROP_TAG(PT_LONG, 0x6635);
constexpr std::uint32_t PR_PST_HIDDEN_UNREAD = PROP_TAG(PT_LONG, 0x6636);

// Attachments.
constexpr std::uint32_t PR_ATTACHMENT_X400_PARAMETERS = PROP_TAG(PT_BINARY, 0x3700);
constexpr std::uint32_t PR_ATTACH_DATA_BIN = PROP_TAG(PT_BINARY, 0x3701);
constexpr std::uint32_t PR_ATTACH_DATA_OBJ = PROP_TAG(PT_OBJECT, 0x3701);
constexpr std::uint32_t PR_ATTACH_ENCODING = PROP_TAG(PT_BINARY, 0x3702);
constexpr std::uint32_t PR_ATTACH_EXTENSION = PROP_TAG(PT_UNICODE, 0x3703);
constexpr std::uint32_t PR_ATTACH_FILENAME = PROP_TAG(PT_UNICODE, 0x3704);
constexpr std::uint32_t PR_ATTACH_METHOD = PROP_TAG(PT_LONG, 0x3705);
constexpr std::uint32_t PR_ATTACH_LONG_FILENAME = PROP_TAG(PT_UNICODE, 0x3707);
constexpr std::uint32_t PR_ATTACH_PATHNAME = PROP_TAG(PT_UNICODE, 0x3708);
constexpr std::uint32_t PR_ATTACH_RENDERING = PROP_TAG(PT_BINARY, 0x3709);
constexpr std::uint32_t PR_ATTACH_TAG = PROP_TAG(PT_BINARY, 0x370A);
constexpr std::uint32_t PR_RENDERING_POSITION = PROP_TAG(PT_LONG, 0x370B);
constexpr std::uint32_t PR_ATTACH_LONG_PATHNAME = PROP_TAG(PT_UNICODE, 0x370D);
constexpr std::uint32_t PR_ATTACH_MIME_TAG = PROP_TAG(PT_UNICODE, 0x370E);
constexpr std::uint32_t PR_ATTACH_CONTENT_ID = PROP_TAG(PT_UNICODE, 0x3712);
constexpr std::uint32_t PR_ATTACH_FLAGS = PROP_TAG(PT_LONG, 0x3714);
constexpr std::uint32_t PR_ATTACHMENT_HIDDEN = PROP_TAG(PT_BOOLEAN, 0x7FFE);

// Attachment methods (PR_ATTACH_METHOD).
constexpr std::int32_t NO_ATTACHMENT = 0;
constexpr std::int32_t ATTACH_BY_VALUE = 1;
constexpr std::int32_t ATTACH_BY_REFERENCE = 2;
constexpr std::int32_t ATTACH_EMBEDDED_MSG = 5;
constexpr std::int32_t ATTACH_OLE = 6;

// Recipients.
constexpr std::uint32_t PR_RECIPIENT_TYPE = PROP_TAG(PT_LONG, 0x0C15);
constexpr std::uint32_t PR_DISPLAY_TYPE = PROP_TAG(PT_LONG, 0x3900);
constexpr std::uint32_t PR_TRANSMITABLE_DISPLAY_NAME = PROP_TAG(PT_UNICODE, 0x3A20);
constexpr std::uint32_t PR_7BIT_DISPLAY_NAME = PROP_TAG(PT_UNICODE, 0x39FF);
constexpr std::uint32_t PR_SEND_RICH_INFO = PROP_TAG(PT_BOOLEAN, 0x3A40);
constexpr std::uint32_t PR_SMTP_ADDRESS = PROP_TAG(PT_UNICODE, 0x39FE);

// Recipient types (PR_RECIPIENT_TYPE).
constexpr std::int32_t MAPI_ORIG = 0;
constexpr std::int32_t MAPI_TO = 1;
constexpr std::int32_t MAPI_CC = 2;
constexpr std::int32_t MAPI_BCC = 3;

// Code pages and locale.
constexpr std::uint32_t PR_MESSAGE_CODEPAGE = PROP_TAG(PT_LONG, 0x3FFD);
constexpr std::uint32_t PR_INTERNET_CPID = PROP_TAG(PT_LONG, 0x3FDE);
constexpr std::uint32_t PR_MESSAGE_LOCALE_ID = PROP_TAG(PT_LONG, 0x3FF1);
constexpr std::uint32_t PR_CREATOR_NAME = PROP_TAG(PT_UNICODE, 0x3FF8);
constexpr std::uint32_t PR_LAST_MODIFIER_NAME = PROP_TAG(PT_UNICODE, 0x3FFA);

// Contacts.
constexpr std::uint32_t PR_ACCOUNT = PROP_TAG(PT_UNICODE, 0x3A00);
constexpr std::uint32_t PR_CALLBACK_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A02);
constexpr std::uint32_t PR_GENERATION = PROP_TAG(PT_UNICODE, 0x3A05);
constexpr std::uint32_t PR_GIVEN_NAME = PROP_TAG(PT_UNICODE, 0x3A06);
constexpr std::uint32_t PR_GOVERNMENT_ID_NUMBER = PROP_TAG(PT_UNICODE, 0x3A07);
constexpr std::uint32_t PR_BUSINESS_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A08);
constexpr std::uint32_t PR_HOME_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A09);
constexpr std::uint32_t PR_INITIALS = PROP_TAG(PT_UNICODE, 0x3A0A);
constexpr std::uint32_t PR_KEYWORD = PROP_TAG(PT_UNICODE, 0x3A0B);
constexpr std::uint32_t PR_LANGUAGE = PROP_TAG(PT_UNICODE, 0x3A0C);
constexpr std::uint32_t PR_LOCATION = PROP_TAG(PT_UNICODE, 0x3A0D);
constexpr std::uint32_t PR_SURNAME = PROP_TAG(PT_UNICODE, 0x3A11);
constexpr std::uint32_t PR_POSTAL_ADDRESS = PROP_TAG(PT_UNICODE, 0x3A15);
constexpr std::uint32_t PR_COMPANY_NAME = PROP_TAG(PT_UNICODE, 0x3A16);
constexpr std::uint32_t PR_TITLE = PROP_TAG(PT_UNICODE, 0x3A17);
constexpr std::uint32_t PR_DEPARTMENT_NAME = PROP_TAG(PT_UNICODE, 0x3A18);
constexpr std::uint32_t PR_OFFICE_LOCATION = PROP_TAG(PT_UNICODE, 0x3A19);
constexpr std::uint32_t PR_PRIMARY_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A1A);
constexpr std::uint32_t PR_BUSINESS2_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A1B);
constexpr std::uint32_t PR_MOBILE_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A1C);
constexpr std::uint32_t PR_RADIO_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A1D);
constexpr std::uint32_t PR_CAR_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A1E);
constexpr std::uint32_t PR_OTHER_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A1F);
constexpr std::uint32_t PR_PAGER_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A21);
constexpr std::uint32_t PR_PRIMARY_FAX_NUMBER = PROP_TAG(PT_UNICODE, 0x3A23);
constexpr std::uint32_t PR_BUSINESS_FAX_NUMBER = PROP_TAG(PT_UNICODE, 0x3A24);
constexpr std::uint32_t PR_HOME_FAX_NUMBER = PROP_TAG(PT_UNICODE, 0x3A25);
constexpr std::uint32_t PR_BUSINESS_ADDRESS_COUNTRY = PROP_TAG(PT_UNICODE, 0x3A26);
constexpr std::uint32_t PR_BUSINESS_ADDRESS_CITY = PROP_TAG(PT_UNICODE, 0x3A27);
constexpr std::uint32_t PR_BUSINESS_ADDRESS_STATE_OR_PROVINCE = PROP_TAG(PT_UNICODE, 0x3A28);
constexpr std::uint32_t PR_BUSINESS_ADDRESS_STREET = PROP_TAG(PT_UNICODE, 0x3A29);
constexpr std::uint32_t PR_BUSINESS_ADDRESS_POSTAL_CODE = PROP_TAG(PT_UNICODE, 0x3A2A);
constexpr std::uint32_t PR_BUSINESS_ADDRESS_POST_OFFICE_BOX = PROP_TAG(PT_UNICODE, 0x3A2B);
constexpr std::uint32_t PR_TELEX_NUMBER = PROP_TAG(PT_UNICODE, 0x3A2C);
constexpr std::uint32_t PR_ISDN_NUMBER = PROP_TAG(PT_UNICODE, 0x3A2D);
constexpr std::uint32_t PR_ASSISTANT_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A2E);
constexpr std::uint32_t PR_HOME2_TELEPHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A2F);
constexpr std::uint32_t PR_ASSISTANT = PROP_TAG(PT_UNICODE, 0x3A30);
constexpr std::uint32_t PR_BIRTHDAY = PROP_TAG(PT_SYSTIME, 0x3A42);
constexpr std::uint32_t PR_MIDDLE_NAME = PROP_TAG(PT_UNICODE, 0x3A44);
constexpr std::uint32_t PR_DISPLAY_NAME_PREFIX = PROP_TAG(PT_UNICODE, 0x3A45);
constexpr std::uint32_t PR_PROFESSION = PROP_TAG(PT_UNICODE, 0x3A46);
constexpr std::uint32_t PR_SPOUSE_NAME = PROP_TAG(PT_UNICODE, 0x3A48);
constexpr std::uint32_t PR_MANAGER_NAME = PROP_TAG(PT_UNICODE, 0x3A4E);
constexpr std::uint32_t PR_NICKNAME = PROP_TAG(PT_UNICODE, 0x3A4F);
constexpr std::uint32_t PR_PERSONAL_HOME_PAGE = PROP_TAG(PT_UNICODE, 0x3A50);
constexpr std::uint32_t PR_BUSINESS_HOME_PAGE = PROP_TAG(PT_UNICODE, 0x3A51);
constexpr std::uint32_t PR_COMPANY_MAIN_PHONE_NUMBER = PROP_TAG(PT_UNICODE, 0x3A57);
constexpr std::uint32_t PR_HOME_ADDRESS_CITY = PROP_TAG(PT_UNICODE, 0x3A59);
constexpr std::uint32_t PR_HOME_ADDRESS_COUNTRY = PROP_TAG(PT_UNICODE, 0x3A5A);
constexpr std::uint32_t PR_HOME_ADDRESS_POSTAL_CODE = PROP_TAG(PT_UNICODE, 0x3A5B);
constexpr std::uint32_t PR_HOME_ADDRESS_STATE_OR_PROVINCE = PROP_TAG(PT_UNICODE, 0x3A5C);
constexpr std::uint32_t PR_HOME_ADDRESS_STREET = PROP_TAG(PT_UNICODE, 0x3A5D);
constexpr std::uint32_t PR_HOME_ADDRESS_POST_OFFICE_BOX = PROP_TAG(PT_UNICODE, 0x3A5E);
constexpr std::uint32_t PR_OTHER_ADDRESS_CITY = PROP_TAG(PT_UNICODE, 0x3A5F);
constexpr std::uint32_t PR_OTHER_ADDRESS_COUNTRY = PROP_TAG(PT_UNICODE, 0x3A60);
constexpr std::uint32_t PR_OTHER_ADDRESS_POSTAL_CODE = PROP_TAG(PT_UNICODE, 0x3A61);
constexpr std::uint32_t PR_OTHER_ADDRESS_STATE_OR_PROVINCE = PROP_TAG(PT_UNICODE, 0x3A62);
constexpr std::uint32_t PR_OTHER_ADDRESS_STREET = PROP_TAG(PT_UNICODE, 0x3A63);

// Table rows of the store ([MS-PST] 2.3.4).
constexpr std::uint32_t PR_LTP_ROW_ID = 0x67F20003;
constexpr std::uint32_t PR_LTP_ROW_VER = 0x67F30003;

// Search and views ([MS-PST] 2.4.8).
constexpr std::uint32_t PR_SEARCH_FOLDER_ID = PROP_TAG(PT_BINARY, 0x6842);
constexpr std::uint32_t PR_VD_BINARY = PROP_TAG(PT_BINARY, 0x7001);
constexpr std::uint32_t PR_VD_STRINGS = PROP_TAG(PT_UNICODE, 0x7002);
constexpr std::uint32_t PR_VD_FLAGS = PROP_TAG(PT_LONG, 0x7003);
constexpr std::uint32_t PR_VD_LINK_TO = PROP_TAG(PT_BINARY, 0x7004);
constexpr std::uint32_t PR_VD_VIEW_FOLDER = PROP_TAG(PT_BINARY, 0x7005);
constexpr std::uint32_t PR_VD_NAME = PROP_TAG(PT_UNICODE, 0x7006);
constexpr std::uint32_t PR_VD_VERSION = PROP_TAG(PT_LONG, 0x7007);
constexpr std::uint32_t PR_SECURE_SUBMIT_FLAGS = PROP_TAG(PT_LONG, 0x65C6);

// Name-to-id map ([MS-PST] 2.4.7).
constexpr std::uint32_t PR_NAMEID_BUCKET_COUNT = 0x00010003;
constexpr std::uint32_t PR_NAMEID_STREAM_GUID = 0x00020102;
constexpr std::uint32_t PR_NAMEID_STREAM_ENTRY = 0x00030102;
constexpr std::uint32_t PR_NAMEID_STREAM_STRING = 0x00040102;
constexpr std::uint16_t kNameIdBucketBaseId = 0x1000;

// PR_MESSAGE_FLAGS bits.
constexpr std::int32_t MSGFLAG_READ = 0x0001;
constexpr std::int32_t MSGFLAG_UNMODIFIED = 0x0002;
constexpr std::int32_t MSGFLAG_SUBMIT = 0x0004;
constexpr std::int32_t MSGFLAG_UNSENT = 0x0008;
constexpr std::int32_t MSGFLAG_HASATTACH = 0x0010;
constexpr std::int32_t MSGFLAG_FROMME = 0x0020;
constexpr std::int32_t MSGFLAG_ASSOCIATED = 0x0040;

// Named property ids (LIDs) of the property sets, [MS-OXPROPS]. Their tags
// come from the name-to-id map of each store.
namespace lid {
// PSETID_Address (contacts).
constexpr std::uint32_t FileUnder = 0x8005;
constexpr std::uint32_t FileUnderId = 0x8006;
constexpr std::uint32_t AddressBookProviderEmailList = 0x8028;
constexpr std::uint32_t AddressBookProviderArrayType = 0x8029;
constexpr std::uint32_t Html = 0x802B;
constexpr std::uint32_t WorkAddressStreet = 0x8045;
constexpr std::uint32_t WorkAddressCity = 0x8046;
constexpr std::uint32_t WorkAddressState = 0x8047;
constexpr std::uint32_t WorkAddressPostalCode = 0x8048;
constexpr std::uint32_t WorkAddressCountry = 0x8049;
constexpr std::uint32_t InstantMessagingAddress = 0x8062;
constexpr std::uint32_t Email1DisplayName = 0x8080;
constexpr std::uint32_t Email1AddressType = 0x8082;
constexpr std::uint32_t Email1EmailAddress = 0x8083;
constexpr std::uint32_t Email1OriginalDisplayName = 0x8084;
constexpr std::uint32_t Email1OriginalEntryId = 0x8085;
constexpr std::uint32_t Email2DisplayName = 0x8090;
constexpr std::uint32_t Email2AddressType = 0x8092;
constexpr std::uint32_t Email2EmailAddress = 0x8093;
constexpr std::uint32_t Email2OriginalDisplayName = 0x8094;
constexpr std::uint32_t Email2OriginalEntryId = 0x8095;
constexpr std::uint32_t Email3DisplayName = 0x80A0;
constexpr std::uint32_t Email3AddressType = 0x80A2;
constexpr std::uint32_t Email3EmailAddress = 0x80A3;
constexpr std::uint32_t Email3OriginalDisplayName = 0x80A4;
constexpr std::uint32_t Email3OriginalEntryId = 0x80A5;
// PSETID_Appointment.
constexpr std::uint32_t AppointmentSequence = 0x8201;
constexpr std::uint32_t BusyStatus = 0x8205;
constexpr std::uint32_t Location = 0x8208;
constexpr std::uint32_t AppointmentStartWhole = 0x820D;
constexpr std::uint32_t AppointmentEndWhole = 0x820E;
constexpr std::uint32_t AppointmentDuration = 0x8213;
constexpr std::uint32_t AppointmentColor = 0x8214;
constexpr std::uint32_t AppointmentSubType = 0x8215;
constexpr std::uint32_t AppointmentRecur = 0x8216;
constexpr std::uint32_t AppointmentStateFlags = 0x8217;
constexpr std::uint32_t ResponseStatus = 0x8218;
constexpr std::uint32_t Recurring = 0x8223;
constexpr std::uint32_t RecurrenceType = 0x8231;
constexpr std::uint32_t RecurrencePattern = 0x8232;
constexpr std::uint32_t TimeZoneStruct = 0x8233;
constexpr std::uint32_t TimeZoneDescription = 0x8234;
constexpr std::uint32_t ClipStart = 0x8235;
constexpr std::uint32_t ClipEnd = 0x8236;
constexpr std::uint32_t AllAttendeesString = 0x8238;
constexpr std::uint32_t ToAttendeesString = 0x823B;
constexpr std::uint32_t CcAttendeesString = 0x823C;
// PSETID_Common.
constexpr std::uint32_t ReminderDelta = 0x8501;
constexpr std::uint32_t ReminderTime = 0x8502;
constexpr std::uint32_t ReminderSet = 0x8503;
constexpr std::uint32_t Private = 0x8506;
constexpr std::uint32_t SideEffects = 0x8510;
constexpr std::uint32_t SmartNoAttach = 0x8514;
constexpr std::uint32_t CommonStart = 0x8516;
constexpr std::uint32_t CommonEnd = 0x8517;
constexpr std::uint32_t CurrentVersion = 0x8552;
constexpr std::uint32_t CurrentVersionName = 0x8554;
constexpr std::uint32_t ReminderSignalTime = 0x8560;
} // namespace lid

} // namespace mapi
