# The Windows ANSI code page of each locale directory. The launcher reads its
# texts as bytes of the system code page, so each file is staged in the code
# page of the Windows systems that speak its language.
set(kv7_message_code_pages
  ar_aa:CP1256 bg_bg:CP1251 cs_cz:CP1250 da_dk:CP1252 de_de:CP1252 el_gr:CP1253
  en_US:CP1252 es_es:CP1252 fi_fi:CP1252 iw_il:CP1255 hu_hu:CP1250 it_it:CP1252
  ja_jp:CP932 ko_kr:CP949 nl_nl:CP1252 no_no:CP1252 pl_pl:CP1250 ro_ro:CP1250
  ru_ru:CP1251 hr_hr:CP1250 sk_sk:CP1250 sv_se:CP1252 tr_tr:CP1254 sl_si:CP1250
  Zh_tw:CP950 fr_fr:CP1252 pt_br:CP1252 zh_cn:CP936 pt_pt:CP1252)
