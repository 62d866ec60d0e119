/* 計測器ドライバ DMM100 のヘッダ (ダウンロード版)、日本語の Windows にあるとおり、コード
   ページ 932 で書かれています。GetDriverVer は下の二つの定義から版を読みます: 2.014。
   「ダ」の二バイト目は 5F ('_') ですが、文字の一部であり、名前の一部ではありません。 */
#ifndef DMM100_H
#define DMM100_H

#define DMM100_VERSION_TEXT     "2.14"
#define DMM100_MAJOR_VERSION    (2)
#define DMM100_MINOR_VERSION    (14)

#define DMM100_DEFAULT_TIMEOUT  2000

int dmm100_open(const char* resource, unsigned long* session);
int dmm100_read(unsigned long session, double* value);
int dmm100_close(unsigned long session);

#endif
