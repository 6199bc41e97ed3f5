;;; kestrel.scm -- the user's start-up macros, loaded after init.scm when
;;; the program starts. Key bindings and event handlers go here, e.g.
;;;
;;;   (app-set-key "Ctrl+Shift+U"
;;;                (lambda () (grid-replace-selected-string " " ""))
;;;                "remove blanks from the selection")
;;;
;;; The headless command kestrel-scheme loads this file too, so anything
;;; that needs the application's primitives should test for them first:
;;;
;;;   (when (symbol-bound? 'app-set-key) ...)
