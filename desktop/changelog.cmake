# Writes the package's change log (Debian format) for VERSION into OUT.
file(WRITE ${OUT}
"quorvel (${VERSION}) stable; urgency=medium

  * Release ${VERSION}: meter chosen by maximum or maximum continuous flow;
    updates from a server, a network folder or a drive.

 -- Quorvel Project <support@quorvel.example>  Thu, 08 Aug 2002 12:00:00 +0000
")
