// The copy's registry entry names its install directory without the trailing
// backslash that Windows Installer keeps on directory properties; a drive
// root such as C:\ keeps it.
function kv7SetCopyPath() {
  var dir = Session.Property("INSTALLDIR");
  if (dir.length > 3 && dir.charAt(dir.length - 1) == "\\") {
    dir = dir.substring(0, dir.length - 1);
  }
  Session.Property("KV7_COPY_PATH") = dir;
  return 1;
}
