#pragma once
// Steps of the wizard's flow that several pages take: the check that the package's properties file
// is still the one read at start, and the extraction password asked once per run.
class COrloSheet;

// True when the properties file still has the hash taken at start-up.
bool PropertiesFileIntact();
// Shows the password prompt when the package requires a password that was not given yet in this
// run. True when the run may go on (no password needed, or the right one typed).
bool AskPasswordIfRequired(COrloSheet& sheet);
