// Custom action CheckVarnelIni of the Windows Installer package (cmake/msi_package.cmake), run
// when VARNELINI names the varnel.ini to install: sets VARNELINIREADABLE when that file opens for
// reading. The package's launch condition then stops the installation, naming the file, when it
// does not: the copy itself (MoveFiles) passes over a missing file without a word, and the
// installer's own searches find a file only by a name fixed when the package is built.
function CheckVarnelIni() {
    var file = Session.Property("VARNELINI");
    try {
        new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(file, 1).Close();
        Session.Property("VARNELINIREADABLE") = "1";
    } catch (error) {
        // An information message: it goes to the installer's log, beside the launch condition's.
        var record = Session.Installer.CreateRecord(0);
        record.StringData(0) = "VARNELINI: cannot read " + file + ": " +
            (error.message || "error 0x" + (error.number >>> 0).toString(16).toUpperCase());
        Session.Message(0x04000000, record);
    }
    return 1; // success: the launch condition decides
}
