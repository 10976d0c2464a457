// Console text on terminals, pipes and files, and output that is lost.
