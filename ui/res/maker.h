// The maker's lines of the version box and the version record, in both languages.
#pragma once

#define MAKER_NOTICE_EN "Copyright (C) Kestran firmware updater developers"
#define MAKER_NOTICE_JA "Copyright (C) Kestran ファームウェアアップデータ開発者"
#define COMPANY_NAME_EN "Kestran firmware updater developers"
#define COMPANY_NAME_JA "Kestran ファームウェアアップデータ開発者"
#define LEGAL_NOTICE_EN MAKER_NOTICE_EN
#define LEGAL_NOTICE_JA MAKER_NOTICE_JA
